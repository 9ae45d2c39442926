#include "app/commandline.h"

#include "settings/programidentity.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

namespace {

// Without an application object Qt does not know the program's name.
QString Usage(const QCommandLineParser& parser, const QString& program) {
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), program.section(u'/', -1));
    return text;
}

CommandLine Exit(int code) {
    CommandLine command;
    command.ExitCode = code;
    return command;
}

} // namespace

CommandLine HandleCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The parser takes the first entry for the program's name.
    if (arguments.isEmpty())
        arguments << QStringLiteral("qzrate");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keeps the US dollar rate in euros in view. A second start for the same "
                       "settings folder brings the running window to the front."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption chart(
        QStringLiteral("chart"),
        QStringLiteral("Open the rate history's chart (in the running qzRate when there is one)."));
    const QCommandLineOption exportHistory(
        QStringLiteral("export-history"),
        QStringLiteral("Write every reading kept as CSV to <file> and end."),
        QStringLiteral("file"));
    parser.addOption(chart);
    parser.addOption(exportHistory);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n\n" << Usage(parser, arguments.first());
        return Exit(2);
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "Unexpected argument '" << parser.positionalArguments().first() << "'.\n\n"
            << Usage(parser, arguments.first());
        return Exit(2);
    }
    // --help-all comes with --help; there are no further options to show.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        out << Usage(parser, arguments.first());
        return Exit(0);
    }
    if (parser.isSet(version)) {
        // "versie 1.02" holds the number after its word.
        out << ProductName << ' ' << VersionText.section(u' ', -1) << '\n';
        return Exit(0);
    }
    return {.ExitCode = std::nullopt,
            .Chart = parser.isSet(chart),
            .ExportPath = parser.value(exportHistory)};
}
