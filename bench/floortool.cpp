// The floor of each qlvtool project command: the same file work by a minimal program with
// QtCore and SQLite, start-up included. Names go through one reused GBK decoder.
#include "floorfile.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QTextStream>

using namespace qlv::floor;

namespace {

std::string arg(int argc, char** argv, int i)
{
    if (i >= argc)
        die("missing argument");
    return argv[i];
}

std::string templateCopyBeside(const std::string& path)
{
    const std::string temporary = temporaryBeside(path);
    const QByteArray bytes = readAll(QLV_TEMPLATE_PATH);
    writeBytes(temporary, bytes.constData(), std::size_t(bytes.size()));
    return temporary;
}

// A new project beside path holding rows (or the template's own) and an empty model row.
void writeProject(const std::string& path, std::vector<Row>* rows)
{
    const std::string temporary = templateCopyBeside(path);
    sqlite3* db = openDb(temporary);
    exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
    std::vector<Row> own;
    if (!rows) {
        own = readRows(db);
        rows = &own;
    } else {
        const std::vector<Row> stored = readRows(db);
        for (std::size_t i = 0; i < rows->size() && i < stored.size(); ++i) {
            (*rows)[i].rowid = stored[i].rowid;
            (*rows)[i].id = stored[i].id;
        }
    }
    updateRows(db, *rows, true);
    sqlite3_close(db);
    putInPlace(temporary, path);
}

void editRow(const std::string& path, int id, const QString* name, const QString* remark)
{
    const std::string temporary = copyBeside(path, path);
    sqlite3* db = openDb(temporary);
    exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
    std::vector<Row> rows = readRows(db);
    if (id < 1 || std::size_t(id) > rows.size())
        die("no such slot");
    Row& row = rows[std::size_t(id - 1)];
    if (name) {
        const QByteArray bytes = name->toLatin1().left(15);
        if (row.irData && row.irData->size() == 512) {
            std::memset(row.irData->data() + 256 - 16, 0, 15);
            std::memcpy(row.irData->data() + 256 - 16, bytes.constData(),
                        std::size_t(bytes.size()));
        }
        row.function = *name;
    }
    if (remark)
        row.remark = *remark;
    updateRows(db, {row});
    sqlite3_close(db);
    putInPlace(temporary, path);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string command = arg(argc, argv, 1);
    QTextStream out(stdout);
    if (command == "new") {
        writeProject(arg(argc, argv, 2), nullptr);
    } else if (command == "import") {
        const QByteArray image = readAll(arg(argc, argv, 2));
        if (image.size() != 512 * 512)
            die("not an image");
        QStringDecoder gbk("GBK");
        std::vector<Row> rows(512);
        for (std::size_t n = 0; n < 512; ++n) {
            const char* record = image.constData() + n * 512;
            rows[n].irData = QByteArray(record, 512);
            const char* name = record + 256 - 16;
            rows[n].function = gbk.decode(QByteArrayView(name, qsizetype(strnlen(name, 15))));
        }
        writeProject(arg(argc, argv, 3), &rows);
    } else if (command == "compile") {
        sqlite3* db = openDb(arg(argc, argv, 2), true);
        const QByteArray image = imageOf(readRows(db));
        sqlite3_close(db);
        replaceWhole(arg(argc, argv, 3), image);
    } else if (command == "info") {
        sqlite3* db = openDb(arg(argc, argv, 2), true);
        const auto model = readModel(db);
        sqlite3_close(db);
        static const char* const labels[] = {"Module Name", "Type",  "Manufactory",
                                             "Module ID",   "ReCyc", "Remark"};
        for (std::size_t i = 0; i < model.size(); ++i)
            out << labels[i] << ": " << model[i].value_or(QString()) << '\n';
    } else if (command == "list") {
        sqlite3* db = openDb(arg(argc, argv, 2), true);
        const std::vector<Row> rows = readRows(db);
        sqlite3_close(db);
        for (const Row& row : rows)
            out << row.id << '\t' << row.function.value_or(QString()) << '\t'
                << row.format.value_or(QString()) << '\t' << row.carry.value_or(QString()) << '\t'
                << row.remark.value_or(QString()) << '\n';
    } else if (command == "set-name" || command == "set-remark") {
        const QString value = QString::fromLocal8Bit(arg(argc, argv, 4));
        const bool name = command == "set-name";
        editRow(arg(argc, argv, 2), std::atoi(arg(argc, argv, 3).c_str()), name ? &value : nullptr,
                name ? nullptr : &value);
    } else {
        die("unknown command");
    }
    return 0;
}
