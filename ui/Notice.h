#pragma once

#include <QObject>
#include <QTimer>

class QLabel;
class QWidget;

// The short notice that rises from the editor area and fades to white: the Chinese-character
// count after an edit, "填加成功" after an add. Ticks are public so tests can step it.
class Notice final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Notice)

public:
    static constexpr int TickMilliseconds = 10;
    static constexpr int LastRiseStep = 50;
    static constexpr int FadeStep = 5;

    // panel is P1, label is Label4; restingTopTwips is where every notice starts.
    Notice(QWidget *panel, QLabel *label, qint16 restingTopTwips, QObject *parent = nullptr);

    // Start or restart: back to the resting place, dark again. The rise count goes on, so a
    // notice ends 51 rise ticks after the last time it was at rest.
    void Xianshi();
    void Timer1_Timer();
    void Timer2_Timer();
    void S1();

    qint16 NoticeTop() const { return m_noticeTop; }
    float panelTopTwips() const { return m_topTwips; }
    int RiseStep() const { return m_riseStep; }
    int FadeLevel() const { return m_fadeLevel; }
    QTimer &Timer1() { return m_timer1; }
    QTimer &Timer2() { return m_timer2; }

private:
    void setPanelTop(float twips);

    QWidget *m_panel;
    QLabel *m_label;
    qint16 m_noticeTop;
    float m_topTwips;
    int m_riseStep = 0;
    int m_fadeLevel = 0;
    QTimer m_timer1;
    QTimer m_timer2;
};
