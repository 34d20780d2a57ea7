// The device's controls on the main window: the port, ID, learn time and IR format choosers,
// the IR port boxes and their lamps, and the port panel of the status bar. They stand for the
// DeviceLink's settings, which QLV.ini keeps between runs.
#pragma once

#include "settings.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class QCheckBox;
class QWidget;

namespace qlv {

class DeviceLink;
class PortLamp;
struct MainWindowUi;

class DevicePanel : public QObject {
    Q_OBJECT

public:
    // portsFile is the ports.ini the Ports dialog writes; dialogs open over window.
    DevicePanel(DeviceLink& link, const MainWindowUi& ui, const QString& portsFile,
                QWidget& window);

    // Puts the saved values on the controls and into the link, then follows the user.
    // Without openPort the saved port is only chosen; ComboBox2Change() opens it later.
    void apply(const Settings& settings, bool openPort = true);
    // The values as QLV.ini keeps them.
    Settings settings() const;

    void setPortLamp(int port, bool sending);
    // The second panel of the status bar: the open port's name, or "No port".
    void setPortStatus(const QString& text);
    // The port panel after a device command: a lost line or a failed reopen leaves no port.
    void showPortState();

    // The controls' handlers.
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void ChBoxClick(int port, bool checked);

private:
    void createIrPortBoxes();
    void followUser();
    void notePortChoice();
    void showPortPath();
    // "Ports…" after "Close": the dialog that writes ports.ini.
    void addPortsEntry();
    void openPortsDialog();

    DeviceLink& m_link;
    const MainWindowUi& m_ui;
    QString m_portsFile;
    QWidget& m_window;
    int m_learnTimeIndex = 0;
    int m_comPortIndex = -1; // the chooser's last entry that is a port or "Close"
    std::array<QCheckBox*, 8> m_portBoxes{};
    std::array<PortLamp*, 8> m_portLamps{};
};

} // namespace qlv
