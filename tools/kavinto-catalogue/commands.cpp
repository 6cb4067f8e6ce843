#include "commands.h"

#include "check.h"
#include "clientdataset.h"
#include "dump.h"
#include "error.h"
#include "pack.h"
#include "unpack.h"

#include <new>

namespace kavinto {
namespace {

// Each command's usage; all of them are the tool's.
struct CommandUsage {
    const char* command;
    const char* text;
};
const CommandUsage kCommandUsages[] = {
    {"dump",
     "  kavinto-catalogue dump FILE [--format csv|json]\n"
     "      Print a catalogue file's or a bare packet's fields and records.\n"},
    {"pack",
     "  kavinto-catalogue pack --methods METHODS.csv --functions FUNCTIONS.csv --out DIR\n"
     "                         [--keep-order]\n"
     "      Write DIR/data/kavinto_modszerek.cds and DIR/data/kavinto_funkciok.cds,\n"
     "      the methods in alphabetical order of their names or, with --keep-order,\n"
     "      in the file's.\n"
     "      Method columns: mod_id, mod_nev, mod_fajl, mod_fun_1 ... mod_fun_17.\n"
     "      Function columns: fun_id, fun_nev.\n"},
    {"check",
     "  kavinto-catalogue check DIR\n"
     "      Load DIR's catalogue as the program does and list every problem.\n"},
    {"unpack",
     "  kavinto-catalogue unpack DIR --out FOLDER [--force]\n"
     "      Write FOLDER/methods.csv and FOLDER/functions.csv back from DIR's catalogue,\n"
     "      as pack reads them; --force replaces files already there.\n"},
};

QString usageText(const QString& command = {}) {
    QString text = QStringLiteral("Usage:\n");
    for (const CommandUsage& u : kCommandUsages)
        if (command.isEmpty() || command == QLatin1String(u.command))
            text += QLatin1String(u.text);
    if (command.isEmpty())
        text += QLatin1String("  kavinto-catalogue --help | --version | COMMAND --help\n");
    return text;
}

int usage(QTextStream& err, const QString& problem) {
    err << "kavinto-catalogue: " << problem << "\n\n" << usageText();
    return 2;
}

int dump(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString file;
    DumpFormat format = DumpFormat::Csv;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return usage(err, QStringLiteral("--format needs csv or json"));
            const QString f = args[++i];
            if (f == QLatin1String("json"))
                format = DumpFormat::Json;
            else if (f != QLatin1String("csv"))
                return usage(err, QStringLiteral("unknown format '%1'").arg(f));
        } else if (file.isEmpty()) {
            file = args[i];
        } else {
            return usage(err, QStringLiteral("dump takes one file"));
        }
    }
    if (file.isEmpty())
        return usage(err, QStringLiteral("dump needs a file"));
    TClientDataSet table(QStringLiteral("table"));
    loadTableFile(table, file);
    out << dumpTable(table, format);
    return 0;
}

int pack(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString methods, functions, dir;
    MethodOrder order = MethodOrder::ByName;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep-order")) {
            order = MethodOrder::Kept;
            continue;
        }
        QString* target = args[i] == QLatin1String("--methods")     ? &methods
                          : args[i] == QLatin1String("--functions") ? &functions
                          : args[i] == QLatin1String("--out")       ? &dir
                                                                    : nullptr;
        if (!target)
            return usage(err, QStringLiteral("unknown argument '%1'").arg(args[i]));
        if (i + 1 >= args.size())
            return usage(err, QStringLiteral("%1 needs a value").arg(args[i]));
        *target = args[++i];
    }
    if (methods.isEmpty() || functions.isEmpty() || dir.isEmpty())
        return usage(err, QStringLiteral("pack needs --methods, --functions and --out"));
    for (const QString& line : packCatalogue(methods, functions, dir, order)) out << line << '\n';
    out << "wrote " << dir << "/data/kavinto_modszerek.cds and " << dir
        << "/data/kavinto_funkciok.cds\n";
    return 0;
}

int unpack(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString dir, folder;
    bool force = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--force")) {
            force = true;
        } else if (args[i] == QLatin1String("--out")) {
            if (i + 1 >= args.size())
                return usage(err, QStringLiteral("--out needs a folder"));
            folder = args[++i];
        } else if (dir.isEmpty()) {
            dir = args[i];
        } else {
            return usage(err, QStringLiteral("unpack takes one catalogue folder"));
        }
    }
    if (dir.isEmpty() || folder.isEmpty())
        return usage(err, QStringLiteral("unpack needs a catalogue folder and --out"));
    const QStringList notes = unpackCatalogue(dir, folder, force);
    for (const QString& n : notes) out << n << '\n';
    out << "wrote " << folder << "/methods.csv and " << folder << "/functions.csv\n";
    return 0;
}

int check(const QStringList& args, QTextStream& out) {
    const QStringList problems = checkCatalogue(args.value(0));
    for (const QString& p : problems) out << p << '\n';
    if (problems.isEmpty())
        out << "no problems found\n";
    else
        out << problems.size() << (problems.size() == 1 ? " problem" : " problems") << " found\n";
    return problems.isEmpty() ? 0 : 1;
}

}  // namespace

int runCatalogueCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty())
        return usage(err, QStringLiteral("a command is needed"));
    const QString command = args.front();
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << usageText();
        return 0;
    }
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        const QString text = usageText(command);
        if (text.count(QLatin1Char('\n')) > 1) {
            out << text;
            return 0;
        }
    }
    if (command == QLatin1String("--version")) {
        out << "kavinto-catalogue " << KAVINTO_VERSION << '\n';
        return 0;
    }
    try {
        if (command == QLatin1String("dump"))
            return dump(rest, out, err);
        if (command == QLatin1String("pack"))
            return pack(rest, out, err);
        if (command == QLatin1String("unpack"))
            return unpack(rest, out, err);
        if (command == QLatin1String("check")) {
            if (rest.size() != 1)
                return usage(err, QStringLiteral("check takes one folder"));
            return check(rest, out);
        }
    } catch (const Error& e) {
        err << e.message() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        err << Error::outOfMemory().message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
    return usage(err, QStringLiteral("unknown command '%1'").arg(command));
}

}  // namespace kavinto
