#include "app/CommandLine.h"

CommandLine ParseCommandLine(const std::vector<std::string> &args)
{
    CommandLine cl;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (i == 0) {
            cl.rest.push_back(a);
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else if (a == "--folder") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cl.error = "--folder needs a folder name";
                return cl;
            }
            cl.folder = args[++i];
        } else if (a.rfind("--folder=", 0) == 0) {
            cl.folder = a.substr(9);
            if (cl.folder->empty())
                cl.error = "--folder needs a folder name";
        } else {
            cl.rest.push_back(a);
        }
    }
    return cl;
}

std::string UsageText()
{
    return "Usage: quillfeather [--folder DIR] [--help] [--version]\n"
           "A contest logger for amateur-radio operators, with WinKeyer CW keying.\n"
           "\n"
           "  --folder DIR  keep the log and settings in DIR\n"
           "  --help        show this text and exit\n"
           "  --version     show the version and exit\n"
           "\n"
           "Without --folder, a copy run from a folder it can write (such as the one\n"
           "run.sh makes) keeps its files beside the executable; an installed program\n"
           "keeps them in $QUILLFEATHER_HOME, else in ~/Quillfeather.\n"
           "Toolkit options such as -platform are passed on to Qt.\n";
}
