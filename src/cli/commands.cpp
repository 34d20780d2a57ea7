#include "commands.h"

#include "handlers.h"

#include <array>

namespace qlv::cli {

namespace {

const std::array<CommandSpec, 11> Commands{{
    {"new", "PROJECT", true, "create a project file with the template's empty content",
     "Writes a fresh project: 512 empty key slots and an empty model description.", runNew},
    {"info", "PROJECT", false, "show the model description",
     "Prints the fields of the model description, one \"Name: value\" a line:\n"
     "Module Name, Type, Manufactory, Module ID, ReCyc and Remark.",
     runInfo},
    {"list", "PROJECT", false, "list the 512 key slots",
     "Prints one line a key slot, in ID order: ID, Function, Format, Carry and Remark,\n"
     "separated by tabs. Tabs and line breaks inside a text are shown as spaces.",
     runList},
    {"compile", "PROJECT IMAGE", true, "write the project as an EEPROM image",
     "Writes the 512 slots of PROJECT, 512 bytes each, as the image IMAGE.", runCompile},
    {"import", "IMAGE PROJECT", true, "make a project from an EEPROM image",
     "Fills a new project from the slots of the image IMAGE (262144 bytes) and saves it\n"
     "as PROJECT. Each slot's function name is taken from its record.",
     runImport},
    {"convert", "LEGACY PROJECT", true, "make a project from a Windows version's project file",
     "Reads the Jet 4 database LEGACY, a project file of the program's Windows version, and\n"
     "writes its key slots and model rows, exactly as stored, as the project PROJECT.\n"
     "info, list, compile, export-hex and decode read such a file directly.",
     runConvert},
    {"export-hex", "PROJECT ID FILE", true, "write a slot's record as hex text",
     "Writes the 512 bytes of slot ID as hex text to FILE: 16 lines of 32 bytes.\n"
     "FILE gets \".txt\" when it lacks it.",
     runExportHex},
    {"import-hex", "PROJECT ID FILE", false, "read a slot's record from hex text",
     "Reads exactly 512 byte values from the hex text FILE into slot ID and saves PROJECT.\n"
     "Values are one or two hex digits, optionally with 0x, separated by spaces, commas\n"
     "or line breaks. Format, Carry and Function follow the new record.",
     runImportHex},
    {"set-name", "PROJECT ID NAME", false, "set a slot's function name",
     "Sets the function name of slot ID, in the key table and in the slot's record, and\n"
     "saves PROJECT. NAME takes at most 12 characters; the record keeps as much of it as\n"
     "fits 15 bytes of the GBK code page.",
     runSetName},
    {"set-remark", "PROJECT ID TEXT", false, "set a slot's remark",
     "Sets the remark of slot ID (at most 120 characters) and saves PROJECT.", runSetRemark},
    {"decode", "PROJECT ID", false, "show the timed steps of a slot's codes",
     "Prints one line a step: CODE PART GAP_US BURST_US, CODE being A or B and PART\n"
     "\"first\" or \"repeat\"; code A's steps when the slot holds code A, then code B's.",
     runDecode},
}};

} // namespace

std::span<const CommandSpec> commands()
{
    return Commands;
}

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& command : Commands)
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

} // namespace qlv::cli
