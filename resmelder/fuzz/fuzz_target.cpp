#include "fuzz/fuzz_target.h"

#include <unistd.h>

#include <string>

#include "image/exe_image.h"
#include "image/output_sink.h"
#include "support/file_sys.h"
#include "support/log.h"

namespace resmelder {

std::uint64_t FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader maps files, so each input goes through one scratch file per process.
    static const std::string base = "/tmp/resmelder_fuzz_" + std::to_string(::getpid());
    const XString in = XString::FromUtf8(base + ".in");
    const XString out = XString::FromUtf8(base + ".out");
    if (!FileSys::WriteWholeFile(in, {data, size}, nullptr)) {
        return 0;
    }
    Logger log;
    auto image = ExeImage::Load(in, &log);
    if (!image) {
        return 0;
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
    std::uint64_t written = 0;
    if (image->Write(out, &log)) {
        written = FileSys::FileSize(out, nullptr).size;
        FileSys::Remove(out);  // a large output would otherwise stay behind in /tmp
    }
    StringBuffer text;
    log.GetLogXml(text);
    return written;
}

}  // namespace resmelder
