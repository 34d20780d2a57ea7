// fmGoTo: the row to go to, by ID or by function name. It keeps its text and its choice from
// one use to the next.
#pragma once

#include "keydialog.h"

class QRadioButton;

namespace qlv {

class TfmGoTo : public KeyDialog {
    Q_OBJECT

public:
    static constexpr int TypedLimit = 15;
    explicit TfmGoTo(QWidget* parent = nullptr);

    QRadioButton* RadioButton1() const { return m_byId; }
    QRadioButton* RadioButton2() const { return m_byFunction; }
    bool byId() const;

protected:
    bool selectAllOnShow() const override { return true; }

private:
    QRadioButton* m_byId;
    QRadioButton* m_byFunction;
};

} // namespace qlv
