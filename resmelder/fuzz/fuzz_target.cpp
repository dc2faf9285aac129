#include "fuzz/fuzz_target.h"

#include <unistd.h>

#include <string>

#include "image/exe_image.h"
#include "image/output_sink.h"
#include "support/file_sys.h"
#include "support/log.h"

namespace resmelder {

void FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader maps files, so each input goes through one scratch file per process.
    static const std::string base = "/tmp/resmelder_fuzz_" + std::to_string(::getpid());
    const XString in = XString::FromUtf8(base + ".in");
    const XString out = XString::FromUtf8(base + ".out");
    if (!FileSys::WriteWholeFile(in, {data, size}, nullptr)) {
        return;
    }
    Logger log;
    auto image = ExeImage::Load(in, &log);
    if (!image) {
        return;
    }
    image->FindNamed("A", &log);
    image->AddBytes("A", {data, size < 64 ? size : 64}, &log);
    image->DeleteNamed("1");
    if (ExeResource* root = image->Resources()) {
        MemorySink sink;
        const ResourceLayout layout = root->Plan();
        if (layout.size < (64u << 20)) {
            root->Serialize(layout, sink, 0x1000, 0x1000, nullptr, &log);
        }
    }
    image->Write(out, &log);
    StringBuffer text;
    log.GetLogXml(text);
}

}  // namespace resmelder
