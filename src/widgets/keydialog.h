// What the function-name, remark and go-to dialogs share: an edit box Edit1 with a limit on
// what the user types, a confirm button Button1 (result 1), Button2 "Cancel" (result 2), an
// empty label and status bar; a fixed size, only a close box, which cancels.
#pragma once

#include <QDialog>
#include <QValidator>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace qlv {

inline constexpr int ConfirmResult = 1;
inline constexpr int CancelResult = 2;

// Refuses typing beyond limit characters, but lets a longer text the program put in stay,
// shrink and be returned whole, as an edit box's typing limit does.
class TypedLengthLimit : public QValidator {
    Q_OBJECT

public:
    TypedLengthLimit(QLineEdit& edit, int limit);
    State validate(QString& input, int& pos) const override;
    int limit() const { return m_limit; }
    // Call before the program puts text in: that text is taken whole, however long.
    void expectText(const QString& text) { m_lastLength = text.size(); }

private:
    int m_limit;
    qsizetype m_lastLength = 0;
};

class KeyDialog : public QDialog {
    Q_OBJECT

public:
    QLineEdit* Edit1() const { return m_edit; }
    QPushButton* Button1() const { return m_confirm; }
    QPushButton* Button2() const { return m_cancel; }
    QLabel* Label1() const { return m_label; }

    // The program's way to fill Edit1: a text longer than the typing limit is kept whole.
    void setText(const QString& text);
    QString text() const;

    void reject() override;

protected:
    KeyDialog(const QString& objectName, const QString& caption, const QString& label, int limit,
              const QString& confirmCaption, bool escapeCancels, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Rows of the dialog above the buttons.
    QGridLayout* body() const { return m_body; }
    // Fixes the size to the contents once the body is filled.
    void finishLayout();
    virtual bool selectAllOnShow() const { return false; }

private:
    QLineEdit* m_edit;
    TypedLengthLimit* m_limit;
    QPushButton* m_confirm;
    QPushButton* m_cancel;
    QLabel* m_label;
    QStatusBar* m_statusBar;
    QGridLayout* m_body;
    bool m_escapeCancels;
};

} // namespace qlv
