// The bytes a hex editor shows and edits, apart from any view: the data, which bytes were
// changed since the last load, the modified mark and the undo history.
#pragma once

#include <QByteArray>
#include <QObject>

#include <stdexcept>
#include <vector>

namespace qlv {

// A read outside the data; its text is what the user is shown.
class HexRangeError : public std::out_of_range {
public:
    HexRangeError()
        : std::out_of_range("Data position/length out of data bounds")
    {
    }
};

class HexByteModel : public QObject {
    Q_OBJECT

public:
    explicit HexByteModel(QObject* parent = nullptr);

    // New data: clears the modified mark, the changed marks and the undo history.
    void load(const QByteArray& bytes);

    const QByteArray& data() const { return m_data; }
    qsizetype size() const { return m_data.size(); }
    // Throws HexRangeError unless the whole range lies within the data.
    QByteArray read(qsizetype position, qsizetype length) const;
    // Changed since the last load (typed, pasted or inserted).
    bool isChanged(qsizetype position) const;

    bool modified() const { return m_modified; }
    void setModified(bool modified);

    // Each edit is one undo step and sets the modified mark. Writing past the end appends.
    void overwrite(qsizetype position, const QByteArray& bytes);
    void insert(qsizetype position, const QByteArray& bytes);
    void remove(qsizetype position, qsizetype count);

    bool canUndo() const { return !m_undo.empty(); }
    void undo();

signals:
    void dataChanged();
    void modifiedChanged(bool modified);

private:
    struct Snapshot {
        QByteArray data;
        std::vector<bool> changed;
        bool modified;
    };
    void remember();
    void edited();

    QByteArray m_data;
    std::vector<bool> m_changed;
    bool m_modified = false;
    std::vector<Snapshot> m_undo;
};

} // namespace qlv
