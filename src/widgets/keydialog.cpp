#include "keydialog.h"

#include <widgets/fonts.h>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace qlv {

TypedLengthLimit::TypedLengthLimit(QLineEdit& edit, int limit)
    : QValidator(&edit)
    , m_limit(limit)
{
    connect(&edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_lastLength = text.size(); });
}

QValidator::State TypedLengthLimit::validate(QString& input, int&) const
{
    return input.size() <= m_limit || input.size() <= m_lastLength ? Acceptable : Invalid;
}

KeyDialog::KeyDialog(const QString& objectName, const QString& caption, const QString& label,
                     int limit, const QString& confirmCaption, bool escapeCancels, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_edit(new QLineEdit(this))
    , m_limit(new TypedLengthLimit(*m_edit, limit))
    , m_confirm(new QPushButton(confirmCaption, this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_label(new QLabel(label, this))
    , m_statusBar(new QStatusBar(this))
    , m_body(new QGridLayout)
    , m_escapeCancels(escapeCancels)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(dialogFont());
    setModal(true);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_confirm->setObjectName(QStringLiteral("Button1"));
    m_cancel->setObjectName(QStringLiteral("Button2"));
    m_label->setObjectName(QStringLiteral("Label1"));
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_edit->setValidator(m_limit);
    m_edit->installEventFilter(this);

    connect(m_confirm, &QPushButton::clicked, this, [this] { done(ConfirmResult); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(CancelResult); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);

    auto* content = new QVBoxLayout;
    content->setContentsMargins(10, 10, 10, 6);
    content->addLayout(m_body);
    content->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(content);
    outer->addWidget(m_statusBar);
}

void KeyDialog::finishLayout()
{
    setFixedSize(sizeHint());
}

void KeyDialog::setText(const QString& text)
{
    m_limit->expectText(text);
    m_edit->setText(text);
}

QString KeyDialog::text() const
{
    return m_edit->text();
}

void KeyDialog::reject()
{
    // The close box cancels with the same result as the Cancel button.
    done(CancelResult);
}

void KeyDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (selectAllOnShow())
        m_edit->selectAll();
    m_edit->setFocus(Qt::OtherFocusReason);
}

void KeyDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close these dialogs; only the go-to dialog's edit box takes it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool KeyDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            done(ConfirmResult);
            return true;
        }
        if (key->key() == Qt::Key_Escape && m_escapeCancels) {
            done(CancelResult);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qlv
