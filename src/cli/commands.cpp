#include "commands.h"

#include "handlers.h"

#include <array>

namespace qlv::cli {

namespace {

// Every device command's port, address and trace.
constexpr OptionSpec PortOption{"port", "PORT",
                                "a device path, or COM1 to COM8 as mapped by ports.ini", true};
constexpr OptionSpec IdOption{"id", "N",
                              "device address: 0 to 14, or 0-9, A, B, C, E, F (default 0)"};
constexpr OptionSpec PortMapOption{
    "port-map", "FILE", "the ports.ini to map COM1 to COM8 by (default: beside qlvtool)"};
constexpr OptionSpec TraceOption{"trace", "FILE",
                                 "write every byte on the line to FILE: hex, direction, ms"};

const std::array<OptionSpec, 4> TransferOptions{{PortOption, IdOption, PortMapOption, TraceOption}};
const std::array<OptionSpec, 5> DownloadOptions{{
    PortOption,
    IdOption,
    {"verify", "", "read the EEPROM back and compare it with what was sent", false, true},
    PortMapOption,
    TraceOption,
}};
const std::array<OptionSpec, 7> LearnOptions{{
    PortOption,
    IdOption,
    {"format", "1|2", "the IR format: 1 Normal, 2 RC5/RC6 (default 1)"},
    {"time", "1|2|3", "the learn time in seconds (default 1)"},
    {"twice", "", "learn each key twice and keep it only when both captures agree", false, true},
    PortMapOption,
    TraceOption,
}};
const std::array<OptionSpec, 6> SendOptions{{
    PortOption,
    IdOption,
    {"ports", "MASK",
     "the IR output ports, bit i for port i: 0 to 255 or 0x00 to 0xFF "
     "(default 255)"},
    {"hold-ms", "MS", "how long the key is held before the stop frame (default 200)"},
    PortMapOption,
    TraceOption,
}};

const std::array<OptionSpec, 1> PortsOptions{{PortMapOption}};

constexpr std::array<OptionSpec, 1> RenderOptions{{
    {"name", "TEXT", "the slot's new function name (else it keeps its name)"},
}};

const std::array<OptionSpec, 3> ImportCodesOptions{{
    {"at", "ID", "the first slot to fill (default 1)"},
    {"format", "FORMAT", "pronto, flipper, lirc, mode2 or csv (default: from the file)"},
    {"skip-bad", "", "store the codes that can be stored and list the others", false, true},
}};
const std::array<OptionSpec, 2> ExportCodesOptions{{
    {"format", "FORMAT", "pronto, flipper, lirc, mode2 or csv (default: from FILE's extension)"},
    {"ids", "LIST", "the slots to write, e.g. 1-20,33 (default: every slot with a code)"},
}};

const std::array<CommandSpec, 21> Commands{{
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
     "\"first\" or \"repeat\"; code A's steps when the slot holds code A, then code B's.\n"
     "Then one line a code: CODE<TAB>PROTOCOL<TAB>PARAMETERS, as identify prints them.",
     runDecode},
    {"identify", "PROJECT [ID...]", false, "name the IR protocol of slots' codes",
     "Prints one line a code held by each slot ID (every slot that holds a code when no ID\n"
     "is given), in ID order: ID<TAB>CODE<TAB>PROTOCOL<TAB>PARAMETERS. CODE is A or B;\n"
     "PROTOCOL is the protocol's name, or \"-\" when none matches; PARAMETERS are\n"
     "NAME=VALUE in decimal, separated by one space, every parameter of the protocol\n"
     "including defaulted ones, or \"-\" when there is no protocol. A slot without a code\n"
     "prints nothing.",
     runIdentify},
    {"render", "PROJECT ID PROTOCOL NAME=VALUE...", false,
     "put the code a protocol sends into a slot",
     "Writes the code PROTOCOL sends for the parameters NAME=VALUE (decimal) into slot ID\n"
     "and saves PROJECT. Defaulted parameters may be left out (NEC1: S = 255-D). RC5,\n"
     "RC5x, RC6 and MCE give a two-code record: T=0 as code A, T=1 as code B, which the\n"
     "device alternates. Format, Carry and Function follow the new record. Protocols:\n"
     "NEC1 NEC2 NEC1-f16 NEC2-f16 NECx1 NECx2 NECx Pioneer Aiwa RC5 RC5x RC6 RC6-6-20\n"
     "MCE Sony12 Sony15 Sony20 Samsung36 Panasonic Kaseikyo Denon-K JVC Sharp Denon RCA\n"
     "RCA-38 Mitsubishi.",
     runRender, RenderOptions},
    {"import-codes", "FILE PROJECT", false, "put the codes of another IR tool's file into slots",
     "Reads every code of FILE (Pronto Hex, Flipper .ir, LIRC lircd.conf, mode2/ir-ctl text or\n"
     "IRDB CSV) and stores them, in file order, in consecutive slots from --at, each named\n"
     "from the file (cut to 15 bytes of the GBK code page), then saves PROJECT. The format\n"
     "is --format, else FILE's extension (.ir flipper, .csv csv, .conf lirc), else what the\n"
     "text looks like. Prints one line a stored code: ID<TAB>NAME<TAB>PROTOCOL, PROTOCOL\n"
     "being the decoded protocol and its parameters, or \"raw\". Two codes of one button that\n"
     "differ only in the toggle (RC5, RC6) become one two-code record. When a code cannot be\n"
     "stored, nothing is saved and every problem is listed; with --skip-bad the others are\n"
     "stored and the problems listed.",
     runImportCodes, ImportCodesOptions},
    {"export-codes", "PROJECT FILE", true, "write slots' codes in another IR tool's format",
     "Writes the code of every slot that holds one (or of the slots in --ids) to FILE, named\n"
     "by its Function text (\"Slot N\" when empty). Formats: pronto (NAME<TAB>0000 ... a\n"
     "line), flipper (parsed where Flipper has the protocol, raw otherwise), lirc (raw\n"
     "remote), mode2 (pulse/space lines) and csv (IRDB rows, slots that decode). A two-code\n"
     "record gives NAME and NAME_T, or one parsed signal where the format carries the toggle.\n"
     "Codes a format cannot carry are listed and left out.",
     runExportCodes, ExportCodesOptions},
    {"download", "PROJECT", true, "write the project into the device's EEPROM",
     "Sends the 512 slots of PROJECT to the K-817T on PORT, as the window's Download does,\n"
     "without asking first. Ctrl+C stops after the slot on its way. With --verify the\n"
     "EEPROM is then read back and compared slot by slot (byte 255 excepted); a slot that\n"
     "differs makes the exit status 1, the differing slots named on stderr.",
     runDownload, DownloadOptions},
    {"upload", "PROJECT", true, "read the device's EEPROM into the project",
     "Reads the 512 slots of the K-817T on PORT into the rows of PROJECT and saves it. The\n"
     "project is saved only when all 512 slots came. Ctrl+C stops after the slot on its way.",
     runUpload, TransferOptions},
    {"learn", "PROJECT ID[,ID...]", true, "learn a remote's key into slots",
     "Learns one key of a handheld remote into each slot ID, in ID order, and saves PROJECT.\n"
     "Ctrl+C stops; the slots learned by then are kept. With --twice each key is learned\n"
     "twice and stored only when both captures decode alike (or, for codes of no known\n"
     "protocol, agree within the decoder's tolerance); a slot whose captures differ is left\n"
     "as it was, said on stderr, and the exit status is 1.",
     runLearn, LearnOptions},
    {"compare", "PROJECT", false, "compare the project's slots with the device's EEPROM",
     "Reads the EEPROM of the K-817T on PORT into memory (PROJECT is not changed) and prints\n"
     "one line a slot that differs: ID<TAB>HOW<TAB>PROJECT NAME<TAB>PROJECT CODE<TAB>DEVICE\n"
     "NAME<TAB>DEVICE CODE, HOW being \"name only\", \"code only\", \"name and code\",\n"
     "\"empty in project\" or \"empty in device\", a code being its decoded protocol (\"-\"\n"
     "for none), then a count. The exit status is 1 when a slot differs.",
     runCompare, TransferOptions},
    {"send", "PROJECT ID", true, "send a slot's code as if its wave button were held",
     "Sends the code of slot ID through the chosen IR ports, holds the key for --hold-ms,\n"
     "then sends the stop frame and waits for the device's answer, as a press on the\n"
     "slot's wave button does.",
     runSend, SendOptions},
    {"ports", "", false, "list the system's serial ports and their COM names",
     "Prints one line a serial port, separated by tabs: its path, the COM name ports.ini\n"
     "maps to it, the USB vendor:product, the serial number, the manufacturer, the\n"
     "description, and \"ok\" when you may open it, else \"no:\" and why (the group that\n"
     "owns it). Paths that ports.ini names but the system does not list come last.",
     runPorts, PortsOptions},
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
