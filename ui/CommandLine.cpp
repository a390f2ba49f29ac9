#include "ui/CommandLine.h"

#include "platform/EventRecord.h"
#include "platform/RecordText.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr const char kUsage[] = "Usage: vantrel\n"
                                "       vantrel --help | --version\n"
                                "\n"
                                "A TFTP server with one small window; without a display it runs headless.\n"
                                "It takes no options. It serves UDP port 69 with the settings it loads at\n"
                                "start from /var/lib/vantrel/hklm.db and saves there when it ends; see\n"
                                "vantrel(1) for how to provision them.\n"
                                "SIGTERM, SIGINT and SIGHUP end it as its close box does, settings saved.\n"
                                "Every transfer is recorded on standard error.\n";

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv)
{
    std::string ignored;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::puts("vantrel " VANTREL_VERSION);
            return 0;
        }
        ignored += ' ';
        ignored += QuotedForRecord(std::string(argument));
    }
    if (!ignored.empty())
        WriteRecordLine("takes no options, ignored:" + ignored);
    return std::nullopt;
}
