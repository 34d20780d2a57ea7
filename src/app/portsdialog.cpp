#include "portsdialog.h"

#include <core/storeerror.h>
#include <project/wholefile.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qlv {

namespace {

QString defaultPath(int comNumber)
{
    return PortMap().devicePath(comName(comNumber));
}

// The system's serial ports, one a row.
QTableWidget* systemPortsTable(const std::vector<SystemPort>& ports, QWidget* parent)
{
    auto* table = new QTableWidget(int(ports.size()), 6, parent);
    table->setObjectName(QStringLiteral("SystemPorts"));
    table->setHorizontalHeaderLabels({QStringLiteral("Device"), QStringLiteral("Description"),
                                      QStringLiteral("Manufacturer"), QStringLiteral("USB ID"),
                                      QStringLiteral("Serial number"), QStringLiteral("Access")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int row = 0; row < int(ports.size()); ++row) {
        const SystemPort& port = ports[std::size_t(row)];
        const QStringList cells{
            port.path,
            port.description,
            port.manufacturer,
            port.usbId(),
            port.serialNumber,
            port.accessProblem.isEmpty() ? QStringLiteral("ok") : port.accessProblem};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    table->resizeColumnsToContents();
    return table;
}

} // namespace

PortsDialog::PortsDialog(const QString& iniPath, const PortMap& current,
                         const std::vector<SystemPort>& ports, QWidget* parent)
    : QDialog(parent)
    , m_iniPath(iniPath)
    , m_map(current)
{
    setObjectName(QStringLiteral("PortsDialog"));
    setWindowTitle(QStringLiteral("Ports"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(systemPortsTable(ports, this));

    auto* form = new QFormLayout;
    for (int n = 1; n <= ComPortCount; ++n) {
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("PortCom%1").arg(n));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItem(QString());
        for (const SystemPort& port : ports)
            box->addItem(port.path);
        // Empty stands for the default, which the field shows greyed.
        box->lineEdit()->setPlaceholderText(defaultPath(n));
        const QString mapped = current.devicePath(comName(n));
        box->setCurrentText(mapped == defaultPath(n) && !current.isAutomatic(n) ? QString()
                                                                                : mapped);
        m_devices[std::size_t(n - 1)] = box;
        form->addRow(comName(n), box);
    }
    layout->addLayout(form);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("PortsError"));
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PortsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PortsDialog::reject);
    layout->addWidget(buttons);
}

QByteArray PortsDialog::iniText() const
{
    QByteArray text("[PORTS]\n");
    for (int n = 1; n <= ComPortCount; ++n) {
        const QString path = m_devices[std::size_t(n - 1)]->currentText().trimmed();
        if (!path.isEmpty())
            text += comName(n).toUtf8() + '=' + path.toUtf8() + '\n';
    }
    return text;
}

void PortsDialog::accept()
{
    // QSettings would read such a value as a list or a comment.
    for (const QComboBox* box : m_devices) {
        if (box->currentText().contains(QRegularExpression(QStringLiteral("[,;\"\\\\]")))) {
            m_error->setText(QStringLiteral("A device path cannot hold ',', ';', '\"' or '\\': %1")
                                 .arg(box->currentText()));
            m_error->show();
            return;
        }
    }
    try {
        writeFileWhole(m_iniPath, iniText());
    } catch (const StoreError& error) {
        m_error->setText(error.text());
        m_error->show();
        return;
    }
    m_map = PortMap::fromFile(m_iniPath);
    QDialog::accept();
}

} // namespace qlv
