// fmFuncEdit: edits a slot's function name, at most 12 typed characters.
#pragma once

#include "keydialog.h"

namespace qlv {

class TfmFuncEdit : public KeyDialog {
    Q_OBJECT

public:
    static constexpr int TypedLimit = 12;
    explicit TfmFuncEdit(QWidget* parent = nullptr);
};

} // namespace qlv
