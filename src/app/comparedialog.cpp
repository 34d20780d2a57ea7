#include "comparedialog.h"

#include <core/prompter.h>
#include <core/storeerror.h>
#include <project/keytable.h>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qlv {

namespace {

constexpr int RowRole = Qt::UserRole;

QString orDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

CompareDialog::CompareDialog(KeyTable& keys, Prompter& prompter, std::vector<CodeRecord> device,
                             QWidget* parent)
    : QDialog(parent)
    , m_keys(keys)
    , m_prompter(prompter)
    , m_device(std::move(device))
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Compare with device"));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("CompareSummary"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("CompareList"));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Differs in"),
                             QStringLiteral("Project name"), QStringLiteral("Project code"),
                             QStringLiteral("Device name"), QStringLiteral("Device code")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemClicked, this, &CompareDialog::goToSelected);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CompareDialog::goToSelected);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_take = buttons->addButton(QStringLiteral("Take from device"), QDialogButtonBox::ActionRole);
    m_take->setObjectName(QStringLiteral("TakeFromDevice"));
    m_take->setEnabled(false);
    connect(m_take, &QPushButton::clicked, this, &CompareDialog::takeFromDevice);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_take->setEnabled(!m_list->selectedItems().isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(760, 360);
    refresh();
}

void CompareDialog::refresh()
{
    const std::vector<SlotComparison> compared = compareWithDevice(m_keys, m_device);
    m_list->clear();
    int differing = 0;
    for (const SlotComparison& slot : compared) {
        if (slot.difference == SlotDifference::Equal)
            continue;
        ++differing;
        auto* item =
            new QTreeWidgetItem(m_list, {QString::number(slot.id), differenceText(slot.difference),
                                         orDash(slot.projectName), orDash(slot.projectCode),
                                         orDash(slot.deviceName), orDash(slot.deviceCode)});
        item->setData(0, RowRole, slot.row);
    }
    m_summary->setText(QStringLiteral("%1 slots: %2 equal, %3 differ.")
                           .arg(compared.size())
                           .arg(qsizetype(compared.size()) - differing)
                           .arg(differing));
}

void CompareDialog::goToSelected()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const int row = item->data(0, RowRole).toInt();
    if (row >= 0 && row < m_keys.recordCount())
        m_keys.setRecNo(row + 1);
}

void CompareDialog::takeFromDevice()
{
    std::vector<int> rows;
    for (const QTreeWidgetItem* item : m_list->selectedItems())
        rows.push_back(item->data(0, RowRole).toInt());
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        return;
    const QString name = rows.size() == 1
                             ? QStringLiteral("Take slot %1 from device").arg(rows.front() + 1)
                             : QStringLiteral("Take %1 slots from device").arg(rows.size());
    const auto take = [&] {
        qlv::takeFromDevice(m_keys, m_device, rows);
    };
    try {
        if (m_record)
            m_record(name, take);
        else
            take();
    } catch (const StoreError& error) {
        m_prompter.notice(error.text());
    }
    refresh();
}

} // namespace qlv
