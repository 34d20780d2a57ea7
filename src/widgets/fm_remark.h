// fmRemark: edits a slot's remark, at most 80 typed characters.
#pragma once

#include "keydialog.h"

namespace qlv {

class TfmRemark : public KeyDialog {
    Q_OBJECT

public:
    static constexpr int TypedLimit = 80;
    static constexpr int EditWidth = 617;
    explicit TfmRemark(QWidget* parent = nullptr);
};

} // namespace qlv
