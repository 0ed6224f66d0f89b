// The main window's stored files: the keyword list and the four options.
#include "Controls.h"
#include "Form1.h"
#include "KeywordFile.h"
#include "ProgramFiles.h"
#include "Qirvan.h"
#include "Settings.h"

#include <array>

namespace {
const QString FileDialogTitle = QStringLiteral("请选择您的文件");
const QString FileDialogFilter = QStringLiteral("文本文件|*.txt|");

// The option boxes as the settings code reads and writes them. Setting a state that changes a
// box runs the box's click handler, as a click would: the preview is drawn again.
class WindowOptionBoxes final : public OptionBoxes
{
public:
    WindowOptionBoxes(const std::array<OptionBox *, BoxCount> &boxes, std::function<void()> clicked)
        : m_boxes(boxes), m_clicked(std::move(clicked))
    {
    }
    int state(Box box) const override { return m_boxes[box]->value(); }
    void setState(Box box, int state) override
    {
        if (m_boxes[box]->value() == state)
            return;
        m_boxes[box]->setValue(state);
        if (box != CCopy)
            m_clicked();
    }

private:
    std::array<OptionBox *, BoxCount> m_boxes;
    std::function<void()> m_clicked;
};
} // namespace

QString Form1::dataFile(QStringView name) const
{
    return ProgramFilePath(m_dataDir, name);
}

void Form1::JiaTXT(const QString &path)
{
    ::JiaTXT(m_table, path);
}

void Form1::SaveTXT(const QString &path)
{
    ::SaveTXT(m_table, path);
}

void Form1::LoadSet()
{
    WindowOptionBoxes boxes({CB, CI, Cnew, CCopy}, [this] { Label5_Click(); });
    ::LoadSet(boxes, dataFile(SettingFileName));
}

void Form1::SaveSet()
{
    WindowOptionBoxes boxes({CB, CI, Cnew, CCopy}, [] {});
    ::SaveSet(boxes, dataFile(SettingFileName));
}

void Form1::Command3_Click()
{
    ImportKeywords(m_table, [this] { return Qirvan::FileDialog(FileDialogTitle, this, FileDialogFilter, true); });
}

void Form1::Command4_Click()
{
    ExportKeywords(m_table, [this] { return Qirvan::FileDialog(FileDialogTitle, this, FileDialogFilter, false); });
}
