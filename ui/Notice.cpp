#include "Notice.h"

#include "Twips.h"

#include <QLabel>
#include <QWidget>

#include <cmath>

Notice::Notice(QWidget *panel, QLabel *label, qint16 restingTopTwips, QObject *parent)
    : QObject(parent), m_panel(panel), m_label(label), m_noticeTop(restingTopTwips), m_topTwips(restingTopTwips)
{
    m_timer1.setInterval(TickMilliseconds);
    m_timer2.setInterval(TickMilliseconds);
    connect(&m_timer1, &QTimer::timeout, this, &Notice::Timer1_Timer);
    connect(&m_timer2, &QTimer::timeout, this, &Notice::Timer2_Timer);
}

void Notice::setPanelTop(float twips)
{
    m_topTwips = twips;
    m_panel->move(m_panel->x(), int(std::lround(twips / Twips::PerPixel)));
}

void Notice::Xianshi()
{
    setPanelTop(m_noticeTop);
    m_panel->show();
    m_panel->raise();
    m_label->show();
    m_timer1.start();
    m_timer2.start();
    m_fadeLevel = 0;
}

void Notice::Timer1_Timer()
{
    ++m_riseStep;
    setPanelTop(m_topTwips - float(m_riseStep));
    if (m_riseStep > LastRiseStep)
        S1();
}

void Notice::Timer2_Timer()
{
    m_fadeLevel += FadeStep;
    const int grey = qMin(m_fadeLevel, 255);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, QColor(grey, grey, grey));
    m_label->setPalette(palette);
}

void Notice::S1()
{
    m_panel->hide();
    m_label->hide();
    m_timer1.stop();
    m_timer2.stop();
    m_riseStep = 0;
    m_fadeLevel = 0;
}
