// Build-time generator of the project template: runs the schema and content scripts into a
// fresh SQLite file, so no binary template lives in the repository.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

static bool readScript(const char* path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: mktemplate OUTPUT SCRIPT...\n");
        return 2;
    }
    std::remove(argv[1]);
    sqlite3* db = nullptr;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK) {
        std::fprintf(stderr, "mktemplate: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    int status = 0;
    std::string script = "PRAGMA page_size = 4096; PRAGMA journal_mode = OFF; BEGIN;";
    for (int i = 2; i < argc && status == 0; ++i) {
        std::string text;
        if (!readScript(argv[i], text)) {
            std::fprintf(stderr, "mktemplate: cannot read %s\n", argv[i]);
            status = 1;
        }
        script += text;
    }
    script += "COMMIT; VACUUM;";
    char* message = nullptr;
    if (status == 0 && sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "mktemplate: %s\n", message);
        sqlite3_free(message);
        status = 1;
    }
    sqlite3_close(db);
    if (status != 0)
        std::remove(argv[1]);
    return status;
}
