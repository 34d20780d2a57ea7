// How core operations ask the user: the window answers with message boxes and file dialogs,
// qlvtool and the tests answer from a script.
#pragma once

#include <QString>

#include <optional>

namespace qlv {

// The title of every question the main window asks.
inline constexpr const char* MainCaption = "K-817T";

enum class Answer { Yes, No, Cancel };

// What a question asks; a front end that answers by itself acts on the kind, never the text.
enum class QuestionKind {
    SaveChanges,
    ReplaceFile,
    DeleteRows,
    Download,
    Upload,
    ImportCodes,
    SaveIrData,
    DownloadAgain, // a verified download found slots that differ
    TryKeyAgain,   // learning twice: the two captures differ
};

struct Question {
    QuestionKind kind;
    QString title;
    QString text;
    bool cancellable = false; // Yes, No and Cancel; otherwise Yes and No
};

// What a notice says: a message (failures among them), the serial port's own errors, or the
// report that a transfer or an import or export completed.
enum class NoticeKind { Message, PortError, Completed };

struct Notice {
    NoticeKind kind = NoticeKind::Message;
    QString title; // empty: the application's title
    QString text;
    QString detail; // what the box says below the text (which device, and why)
};

// The question the core asks before it writes over a file.
inline constexpr const char* ReplaceQuestionText = "File already exist.Replace?";

inline Question replaceFileQuestion()
{
    return {QuestionKind::ReplaceFile, QString::fromLatin1(MainCaption),
            QString::fromLatin1(ReplaceQuestionText)};
}

// Which dialogs ask: projects and images (Open, Save, Compile), an IR data window's hex text,
// or code files. Each keeps its own last folder and name.
enum class FileFamily { Project, HexText, Codes };

struct FileRequest {
    QString filter;       // in the "Description|*.ext|..." form of the file dialogs
    QString proposedName; // empty: the dialog keeps its last name
    FileFamily family = FileFamily::Project;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer ask(const Question& question) = 0;
    // A plain message box with OK; a front end without boxes writes it out.
    virtual void tell(const Notice& notice) = 0;
    virtual std::optional<QString> chooseOpenFile(const FileRequest& request) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileRequest& request) = 0;

    // A message with the application's title; also how failures are shown.
    void notice(const QString& text) { tell({NoticeKind::Message, QString(), text, QString()}); }
    void titledNotice(const QString& title, const QString& text, const QString& detail = QString())
    {
        tell({NoticeKind::Message, title, text, detail});
    }
};

} // namespace qlv
