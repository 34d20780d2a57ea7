#include "fm_goto.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace qlv {

TfmGoTo::TfmGoTo(QWidget* parent)
    : KeyDialog(QStringLiteral("fmGoTo"), QStringLiteral("Go to"), QString(), TypedLimit,
                QStringLiteral("Go"), true, parent)
    , m_byId(new QRadioButton(QStringLiteral("ID"), this))
    , m_byFunction(new QRadioButton(QStringLiteral("Function"), this))
{
    m_byId->setObjectName(QStringLiteral("RadioButton1"));
    m_byFunction->setObjectName(QStringLiteral("RadioButton2"));
    m_byId->setChecked(true);
    Edit1()->setMinimumWidth(180);

    auto* choice = new QHBoxLayout;
    choice->addWidget(m_byId);
    choice->addWidget(m_byFunction);
    choice->addStretch();
    body()->addWidget(Label1(), 0, 0);
    body()->addLayout(choice, 1, 0);
    body()->addWidget(Edit1(), 2, 0);
    finishLayout();
}

bool TfmGoTo::byId() const
{
    return m_byId->isChecked();
}

} // namespace qlv
