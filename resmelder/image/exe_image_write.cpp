// Writing the planned executable: the headers, the sections' bytes and the overlay in file
// order, and the checksum, into a PendingOutput that replaces the target only when complete.
// Everything copied from the source is read from the file (or copied by the system), never
// through a mapping.

#include <algorithm>
#include <cstring>

#include "image/exe_image.h"
#include "image/exe_image_support.h"
#include "image/exe_image_write_plan.h"
#include "image/image_texts.h"
#include "image/output_sink.h"
#include "image/pe_format.h"
#include "support/log.h"
#include "support/progress_monitor.h"

namespace resmelder {

using image_support::Fail;
using image_support::FailForSection;

namespace {

bool CheckFileBackedEntries(const ExeResource* node, LogBase* log) {
    if (node == nullptr) {
        return true;
    }
    if (!node->IsDirectory()) {
        return !node->IsFileBacked() || FileSys::CheckRegularOrMissing(node->FileName(), log);
    }
    for (const auto* list : {&node->NamedChildren(), &node->NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            if (!CheckFileBackedEntries(list->Get(i), log)) {
                return false;
            }
        }
    }
    return true;
}

// Sections with bytes in the file, in the order of their bytes.
std::vector<std::uint32_t> SectionsInFileOrder(const std::vector<ExeSection>& sections) {
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < sections.size(); ++i) {
        if (sections[i].SizeOfRawData() != 0) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return sections[a].PointerToRawData() < sections[b].PointerToRawData();
    });
    return order;
}

}  // namespace

bool ExeImage::WriteTo(File& file, const WritePlan& plan, const XString& target, LogBase* log) {
    FileSink out(
        file, &file_,
        plan.recomputeChecksum ? FileSink::ChecksumMode::kSum : FileSink::ChecksumMode::kNone, log);
    ProgressMonitor progress(plan.outputSize, nullptr);
    if (!WriteHeaders(out, plan, target, log) || !WriteBody(out, plan, progress, target, log)) {
        return false;
    }
    progress.Finish();
    return !plan.recomputeChecksum || PatchChecksum(out, target, log);
}

// The source's bytes up to the section table's end, with the new headers and table in them.
bool ExeImage::ComposeHeaders(const WritePlan& plan, std::vector<std::uint8_t>& head,
                              const XString& target, LogBase* log) const {
    const std::size_t tableAt = ntOffset_ + ntHeaders_.size();
    head.assign(tableAt + plan.sections.size() * pe::kSectionHeaderSize, 0);
    const std::size_t headFromSource = std::min<std::size_t>(head.size(), sourceSize_);
    if (file_.ReadAt(0, {head.data(), headFromSource}) != headFromSource) {
        Fail(log, image_texts::kSourceChanged, target);
        return false;
    }
    std::memcpy(head.data(), dosHeader_.data(), std::min<std::size_t>(ntOffset_, 64));
    std::memcpy(head.data() + ntOffset_, plan.ntHeaders.data(), plan.ntHeaders.size());
    for (std::size_t i = 0; i < plan.sections.size(); ++i) {
        std::memcpy(head.data() + tableAt + i * pe::kSectionHeaderSize,
                    plan.sections[i].Bytes().data(), pe::kSectionHeaderSize);
    }
    return true;
}

bool ExeImage::WriteHeaders(FileSink& out, const WritePlan& plan, const XString& target,
                            LogBase* log) const {
    std::vector<std::uint8_t> head;
    if (!ComposeHeaders(plan, head, target, log)) {
        return false;
    }
    struct Part {
        std::size_t end;
        const char* failure;
    };
    const std::size_t optionalAt = ntOffset_ + pe::kOptionalHeaderOffset;
    const Part parts[] = {{std::min<std::size_t>(64, ntOffset_), image_texts::kDosHeaderNotWritten},
                          {ntOffset_, image_texts::kDosHeaderNotWritten},
                          {ntOffset_ + 4, image_texts::kSignatureNotWritten},
                          {optionalAt, image_texts::kFileHeaderNotWritten},
                          {ntOffset_ + ntHeaders_.size(), image_texts::kOptionalHeaderNotWritten},
                          {head.size(), image_texts::kSectionHeaderNotWritten}};
    // Each part is flushed as it ends, so a short write is reported for the part it cut.
    std::size_t written = 0;
    for (const Part& part : parts) {
        if (part.end > written) {
            if (!out.Write({head.data() + written, part.end - written}) || !out.Flush()) {
                Fail(log, part.failure, target);
                return false;
            }
            written = part.end;
        }
    }
    return true;
}

// Every section's bytes in file order, and the overlay: after them, or before a section
// that follows it when it is kept in place.
bool ExeImage::WriteBody(FileSink& out, const WritePlan& plan, ProgressMonitor& progress,
                         const XString& target, LogBase* log) {
    bool firstSection = true;
    bool overlayWritten = false;
    for (const std::uint32_t i : SectionsInFileOrder(plan.sections)) {
        const ExeSection& s = plan.sections[i];
        if (!overlayWritten && OverlaySize() != 0 && plan.overlayAt < s.PointerToRawData()) {
            if (!WriteOverlay(out, plan, target, log)) {
                return false;
            }
            overlayWritten = true;
        }
        if (s.PointerToRawData() < out.Position()) {
            FailForSection(log, image_texts::kSectionsOverlapInFile, s.Name(), target);
            return false;
        }
        const bool ok = FillGapBefore(out, s.PointerToRawData(), firstSection) &&
                        WriteSectionData(out, plan, i, progress, log);
        firstSection = false;
        if (!ok || !out.Flush()) {
            FailForSection(log, image_texts::kSectionDataNotWritten, s.Name(), target);
            return false;
        }
    }
    return overlayWritten || WriteOverlay(out, plan, target, log);
}

// The bytes between the section table and the first section (padding, or data some tools keep
// there) come from the source; other gaps are zeros.
bool ExeImage::FillGapBefore(FileSink& out, std::uint64_t sectionAt, bool firstSection) const {
    if (!firstSection || sectionAt <= out.Position()) {
        return out.Fill(0, sectionAt - out.Position());
    }
    const std::uint64_t from = out.Position();
    const std::uint64_t have =
        from < sourceSize_ ? std::min<std::uint64_t>(sectionAt - from, sourceSize_ - from) : 0;
    return out.CopyFromSource(from, have) && out.Fill(0, sectionAt - from - have);
}

// The regenerated tree, or a source section's bytes as they are.
bool ExeImage::WriteSectionData(FileSink& out, const WritePlan& plan, std::uint32_t index,
                                ProgressMonitor& progress, LogBase* log) {
    if (static_cast<int>(index) == plan.resourceIndex) {
        return resources_->Serialize(plan.layout, out, plan.resourcePadTo,
                                     plan.sections[index].VirtualAddress(), &progress, log);
    }
    // Checked in the plan: the section's bytes lie inside the source.
    const ExeSection& old = *sections_.Get(index);
    const bool ok = out.CopyFromSource(old.PointerToRawData(), old.SizeOfRawData());
    progress.Consumed(old.SizeOfRawData());
    return ok;
}

bool ExeImage::WriteOverlay(FileSink& out, const WritePlan& plan, const XString& target,
                            LogBase* log) const {
    if (!out.Fill(0, plan.overlayAt - std::min(plan.overlayAt, out.Position())) ||
        !out.CopyFromSource(overlayStart_, OverlaySize()) || !out.Flush()) {
        Fail(log, image_texts::kOverlayNotWritten, target);
        return false;
    }
    return true;
}

// The checksum covers the whole file, so it goes in last, over the zeros the headers held.
bool ExeImage::PatchChecksum(FileSink& out, const XString& target, LogBase* log) const {
    std::uint8_t sum[4];
    StoreU32(sum, out.Checksum());
    if (!out.Patch(ntOffset_ + pe::kOptionalHeaderOffset + pe::kCheckSumOffset, sum)) {
        Fail(log, image_texts::kChecksumNotWritten, target);
        return false;
    }
    return true;
}

std::unique_ptr<PendingOutput> ExeImage::WriteBeside(const XString& fileName, LogBase* log,
                                                     const WriteOptions& options,
                                                     WriteOutcome* outcome) {
    if (fileName.IsEmpty()) {
        return nullptr;
    }
    // Everything that can refuse the write is decided before any file is created. A data
    // file that became a FIFO or a device since it was added would block the write or never
    // end.
    WritePlan plan;
    plan.keepOverlay = options.keepOverlay;
    if (!CheckFileBackedEntries(resources_.get(), log) || !PlanWrite(plan, fileName, log)) {
        return nullptr;
    }
    auto pending = PendingOutput::Create(fileName, log);
    if (!pending || !WriteTo(pending->Output(), plan, fileName, log)) {
        return nullptr;
    }
    if (outcome != nullptr) {
        outcome->overlaySize = OverlaySize();
        outcome->overlayMovedBy =
            static_cast<std::int64_t>(plan.overlayAt) - static_cast<std::int64_t>(overlayStart_);
        outcome->signedFile = CertificateTableSize() != 0;
    }
    return pending;
}

bool ExeImage::Write(const XString& fileName, LogBase* log, const WriteOptions& options) {
    auto pending = WriteBeside(fileName, log, options);
    return pending && pending->Commit(log);
}

}  // namespace resmelder
