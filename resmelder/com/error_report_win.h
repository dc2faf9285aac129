#pragma once
// The one place where the component's failures become HRESULTs and error objects, with the
// texts it reports.

#include <windows.h>

#include <string_view>

namespace resmelder::com {

namespace texts {
constexpr const char* kNoExeOpen = "No EXE has been opened yet.";
constexpr const char* kLoadFailed = "Failed to load EXE - unspecified error";
constexpr const char* kOwnExeFailed = "Failed to open the calling process's EXE";
constexpr const char* kNoResourceData = "Failed to get resource data: ResourceName = ";
constexpr const char* kWriteFileFailed = "Failed to write file";
}  // namespace texts

/// Installs an error object for the calling thread (description from the ANSI text; GUID and
/// source from the process-wide holder) and answers E_FAIL. If the object cannot be made,
/// only E_FAIL is answered.
HRESULT ReportFailure(std::string_view ansiDescription);
/// E_FAIL with no error object, not even one left from an earlier failure.
HRESULT FailWithoutReport();
/// A null out pointer.
HRESULT BadPointer();
/// Memory for a result could not be had.
HRESULT OutOfMemory();

}  // namespace resmelder::com
