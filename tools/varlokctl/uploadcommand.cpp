// upload: what the send button of the window's key page sends.

#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"

namespace varlok::tools {

namespace {

void Report(std::ostream& out, std::string_view what, const keys::TableUpload& upload) {
    out << what << ": " << upload.length << " bytes, "
        << (upload.status == keys::UploadStatus::Sent            ? "sent"
            : upload.status == keys::UploadStatus::NothingToSend ? "nothing to send"
                                                                 : "refused")
        << '\n';
}

ExitCode RunUpload(CommandRun& run) {
    MouseAccess& mouse = run.Mouse();
    UploadOutcome outcome;
    const ExitCode uploaded = mouse.Upload(outcome);
    if (outcome.cursorScripts) {
        Report(run.Out(), "cursor scripts", *outcome.cursorScripts);
    }
    if (outcome.macros) {
        Report(run.Out(), "macros", *outcome.macros);
    }
    if (outcome.keyBlock) {
        run.Out() << "key block " << *outcome.keyBlock << ": sent (the active onboard profile)\n";
    }
    if (uploaded == ExitCode::Ok && mouse.ThroughWindow()) {
        run.Out() << "uploaded through " << mouse.Where()
                  << ": its cursor scripts, its macros and the active onboard profile's key "
                     "block\n";
    }
    return uploaded;
}

}  // namespace

const CommandEntry kUploadCommand{
    "upload",
    "send the cursor scripts, the macros and the key block",
    "",
    "does what the send button of varlok's key page\n"
    "does: the cursor-script table, then the macro\n"
    "table, each from the data folder, then the\n"
    "key block of the active onboard profile as the\n"
    "mouse holds it; macros too large for the mouse\n"
    "are refused before anything of them is sent",
    {},
    {},
    &RunUpload,
};

}  // namespace varlok::tools
