// How core operations ask the user: the window answers with message boxes and file dialogs,
// qlvtool and the tests answer from a script.
#pragma once

#include <QString>

#include <optional>

namespace qlv {

// The title of every question the main window asks.
inline constexpr const char* MainCaption = "K-817T";

enum class Answer { Yes, No, Cancel };

struct FileRequest {
    QString filter;       // in the "Description|*.ext|..." form of the file dialogs
    QString proposedName; // empty: the dialog keeps its last name
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer askYesNo(const QString& title, const QString& text) = 0;
    virtual Answer askYesNoCancel(const QString& title, const QString& text) = 0;
    // A plain message box with OK and the application's title; also how failures are shown.
    virtual void notice(const QString& text) = 0;
    // A plain message box with its own title (the serial port's "Open Error" and "Set Error");
    // detail, when given, says more below the text (which device, and why). A front end
    // without titles shows both as a notice.
    virtual void titledNotice(const QString& title, const QString& text,
                              const QString& detail = QString())
    {
        (void)title;
        notice(detail.isEmpty() ? text : text + u'\n' + detail);
    }
    virtual std::optional<QString> chooseOpenFile(const FileRequest& request) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileRequest& request) = 0;
};

} // namespace qlv
