#include "devicechecks.h"

#include "comparedialog.h"

#include <device/devicelink.h>
#include <project/project.h>

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

namespace qlv {

namespace {

constexpr int LearnCheckShownMs = 8000;

} // namespace

DeviceChecks::DeviceChecks(DeviceLink& link, Project& project, Prompter& prompter, QWidget* window)
    : QObject(window)
    , m_link(link)
    , m_project(project)
    , m_prompter(prompter)
    , m_window(window)
{
    m_verify = new QCheckBox(QStringLiteral("Verify"));
    m_verify->setObjectName(QStringLiteral("VerifyCheckBox"));
    m_verify->setToolTip(QStringLiteral("After a download, read the device back and compare"));

    m_learnTwice = new QCheckBox(QStringLiteral("Learn each key twice"), window);
    m_learnTwice->setObjectName(QStringLiteral("LearnTwiceCheckBox"));
    connect(m_learnTwice, &QCheckBox::toggled, this,
            [this](bool checked) { m_link.settings().learnTwice = checked; });

    m_compare = new QAction(QStringLiteral("Compare with device"), window);
    m_compare->setObjectName(QStringLiteral("CompareDevice"));
    window->addAction(m_compare);

    // The captures' agreement goes to the status bar: a box after every key would stop the run.
    connect(&m_link, &DeviceLink::learnChecked, this, [this](const QString& text) {
        if (auto* bar = m_window->findChild<QStatusBar*>(QStringLiteral("StatusBar1")))
            bar->showMessage(text, LearnCheckShownMs);
    });
    // The list's rows are those of the project it was made for.
    connect(&m_project, &Project::loaded, this, [this] {
        if (m_dialog)
            m_dialog->close();
    });
}

CompareDialog* DeviceChecks::compareDialog() const
{
    return m_dialog;
}

void DeviceChecks::download()
{
    if (m_verify->isChecked())
        m_link.DownloadVerifiedExecute();
    else
        m_link.DownloadExecute();
}

void DeviceChecks::compareWithDevice()
{
    const EepromRead read = m_link.readEeprom(ReadPurpose::Compare);
    if (read.ending != TransferEnding::Completed)
        return;
    if (m_dialog)
        m_dialog->close();
    m_dialog = new CompareDialog(m_project.keys(), m_prompter, read.records, m_window);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setEditRecorder(m_record);
    m_dialog->show();
}

} // namespace qlv
