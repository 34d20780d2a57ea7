#include "fm_remark.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace qlv {

TfmRemark::TfmRemark(QWidget* parent)
    : KeyDialog(QStringLiteral("fmRemark"), QStringLiteral("Remark"), QStringLiteral("Remark:"),
                TypedLimit, QStringLiteral("Ok"), false, parent)
{
    Edit1()->setFixedWidth(EditWidth);
    body()->addWidget(Label1(), 0, 0);
    body()->addWidget(Edit1(), 1, 0);
    finishLayout();
}

} // namespace qlv
