#include "fm_funcedit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace qlv {

TfmFuncEdit::TfmFuncEdit(QWidget* parent)
    : KeyDialog(QStringLiteral("fmFuncEdit"), QStringLiteral("Function Name"),
                QStringLiteral("Function name:"), TypedLimit, QStringLiteral("Ok"), false, parent)
{
    Edit1()->setMinimumWidth(180);
    body()->addWidget(Label1(), 0, 0);
    body()->addWidget(Edit1(), 0, 1);
    finishLayout();
}

} // namespace qlv
