// The error the data and file layers raise; its text is what the user is shown.
#pragma once

#include <QString>

#include <exception>

namespace qlv {

class StoreError : public std::exception {
public:
    explicit StoreError(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    {
    }
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace qlv
