#include "devicepanel.h"

#include "controls.h"
#include "mainwindowui.h"
#include "portsdialog.h"

#include <device/devicelink.h>
#include <device/devicemessages.h>
#include <platform/systemports.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>

namespace qlv {

DevicePanel::DevicePanel(DeviceLink& link, const MainWindowUi& ui, const QString& portsFile,
                         QWidget& window)
    : QObject(&window)
    , m_link(link)
    , m_ui(ui)
    , m_portsFile(portsFile)
    , m_window(window)
{
    for (int i = 0; i < m_ui.comPort->count(); ++i)
        m_ui.comPort->setItemData(i, m_link.portPath(i), Qt::ToolTipRole);
    connect(&link, &DeviceLink::portLampsChanged, this, [this](std::uint8_t redMask) {
        for (int i = 0; i < 8; ++i)
            setPortLamp(i, (redMask >> i) & 1);
    });
    connect(&link, &DeviceLink::portPanelChanged, this, &DevicePanel::setPortStatus);
}

void DevicePanel::apply(const Settings& settings, bool openPort)
{
    auto index = [](int value, const QComboBox* box) {
        return value >= 0 && value < box->count() ? value : -1;
    };
    m_ui.learnTime->setCurrentIndex(index(settings.learnTime, m_ui.learnTime));
    m_learnTimeIndex = m_ui.learnTime->currentIndex();
    ComboBox1Change();
    m_ui.comPort->setCurrentIndex(index(settings.comPort, m_ui.comPort));
    if (openPort)
        ComboBox2Change();
    else
        notePortChoice();
    addPortsEntry();
    m_ui.deviceIdBox->setCurrentIndex(index(settings.id, m_ui.deviceIdBox));
    ComboBox3Change();
    if (settings.irFormat == 1) {
        m_ui.normal->setChecked(true);
        RadioButton1Click();
    } else {
        m_ui.rc5->setChecked(true);
        RadioButton2Click();
    }
    m_link.settings().IrPortMask = std::uint8_t(settings.irPort & 0xFF);
    followUser();
    createIrPortBoxes();
}

Settings DevicePanel::settings() const
{
    Settings settings;
    settings.comPort = m_ui.comPort->currentIndex();
    settings.id = m_ui.deviceIdBox->currentIndex();
    settings.learnTime = m_learnTimeIndex;
    settings.irPort = m_link.settings().IrPortMask;
    settings.irFormat = m_link.settings().IrFormat;
    return settings;
}

void DevicePanel::followUser()
{
    connect(m_ui.learnTime, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_learnTimeIndex = i;
        ComboBox1Change();
    });
    // Typing in the box chooses the entry it names, or none.
    connect(m_ui.learnTime, &QComboBox::editTextChanged, this, [this](const QString& text) {
        m_learnTimeIndex = m_ui.learnTime->findText(text.trimmed(), Qt::MatchFixedString);
        ComboBox1Change();
    });
    connect(m_ui.comPort, &QComboBox::currentIndexChanged, this, &DevicePanel::ComboBox2Change);
    connect(m_ui.deviceIdBox, &QComboBox::currentIndexChanged, this, &DevicePanel::ComboBox3Change);
    connect(m_ui.normal, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(m_ui.rc5, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
}

void DevicePanel::createIrPortBoxes()
{
    for (int i = 0; i < 8; ++i) {
        auto* box = new QCheckBox(QStringLiteral("Port%1").arg(i), m_ui.irPortGroup);
        box->setObjectName(QStringLiteral("PortCheckBox%1").arg(i));
        box->setProperty("tag", i);
        box->setGeometry(30, 18 + 17 * i, 52, 17);
        box->setChecked((m_link.settings().IrPortMask >> i) & 1);
        connect(box, &QCheckBox::toggled, this,
                [this, i](bool checked) { ChBoxClick(i, checked); });
        m_portBoxes[std::size_t(i)] = box;

        auto* lamp = new PortLamp(m_ui.irPortGroup);
        lamp->setObjectName(QStringLiteral("PortLamp%1").arg(i));
        lamp->setGeometry(8, 21 + 17 * i, 11, 11);
        m_portLamps[std::size_t(i)] = lamp;
    }
}

void DevicePanel::ComboBox1Change()
{
    m_link.setLearnTime(m_learnTimeIndex);
}

void DevicePanel::ComboBox2Change()
{
    notePortChoice();
    m_link.choosePort(m_ui.comPort->currentIndex());
}

void DevicePanel::notePortChoice()
{
    if (m_ui.comPort->currentIndex() <= ComPortCount)
        m_comPortIndex = m_ui.comPort->currentIndex();
    showPortPath();
}

void DevicePanel::ComboBox3Change()
{
    m_link.setDeviceId(m_ui.deviceIdBox->currentIndex());
}

void DevicePanel::RadioButton1Click()
{
    m_link.setNormalFormat();
}

void DevicePanel::RadioButton2Click()
{
    m_link.setRc5Format();
}

void DevicePanel::ChBoxClick(int port, bool checked)
{
    m_link.setIrPortEnabled(port, checked);
}

void DevicePanel::showPortPath()
{
    QComboBox* chooser = m_ui.comPort;
    const int index = chooser->currentIndex();
    const PortMap& ports = m_link.comm().ports();
    chooser->setToolTip(index >= 0 && index < ComPortCount ? portToolTip(ports, index + 1)
                                                           : QString());
    for (int i = 0; i < ComPortCount; ++i)
        chooser->setItemData(i, portToolTip(ports, i + 1), Qt::ToolTipRole);
}

void DevicePanel::addPortsEntry()
{
    // Added once the saved settings are applied, so a saved index never lands on it.
    m_ui.comPort->addItem(QStringLiteral("Ports…"));
    m_ui.comPort->setMaxVisibleItems(m_ui.comPort->count());
    connect(m_ui.comPort, &QComboBox::activated, this, [this](int index) {
        if (index == ComPortCount + 1)
            openPortsDialog();
    });
}

void DevicePanel::openPortsDialog()
{
    {
        // Back to the port in use: "Ports…" is a command, not a choice.
        const QSignalBlocker blocker(m_ui.comPort);
        m_ui.comPort->setCurrentIndex(m_comPortIndex);
    }
    showPortPath();
    const QString before = m_link.portPath(m_comPortIndex);
    PortsDialog dialog(m_portsFile, m_link.comm().ports(), systemPorts(), &m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_link.comm().setPorts(dialog.portMap());
    showPortPath();
    // The port in use now stands for another device: open that one instead.
    if (m_comPortIndex >= 0 && m_comPortIndex < ComPortCount &&
        m_link.portPath(m_comPortIndex) != before)
        m_link.choosePort(m_comPortIndex);
}

void DevicePanel::setPortLamp(int port, bool sending)
{
    if (port >= 0 && port < 8)
        m_portLamps[std::size_t(port)]->setSending(sending);
}

void DevicePanel::setPortStatus(const QString& text)
{
    m_ui.statusPanels[1]->setText(text);
}

void DevicePanel::showPortState()
{
    SerialComm& comm = m_link.comm();
    setPortStatus(comm.portOpen() ? comm.commName() : QLatin1String(msg::NoPort));
}

} // namespace qlv
