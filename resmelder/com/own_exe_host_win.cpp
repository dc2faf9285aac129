// A host program for the tests of OpenMyExe: it opens an executable through the component,
// renames its own executable file away (the running program keeps its old name), asks the
// component for its own executable, and checks that the earlier image was dropped.
//   resmelder_com_host LIBRARY REPORT OTHER_EXE
// REPORT gets one line per call: the HRESULT in hex, a space, and the error description.

#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <string>

#include "com_ptr_win.h"
#include "identities_win.h"
#include "resbundle_h.h"

namespace {

using resmelder::com::Bstr;
using resmelder::com::ComPtr;

std::string Line(HRESULT hr) {
    std::string description;
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(hr)) {
        ::SetErrorInfo(0, nullptr);
    } else if (::GetErrorInfo(0, info.Put()) == S_OK && info) {
        Bstr text;
        info->GetDescription(text.Put());
        for (const wchar_t* c = text.Get(); c != nullptr && *c != L'\0'; ++c) {
            description += static_cast<char>(*c);  // the texts checked are ASCII
        }
    }
    char code[16] = {};
    std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
    return std::string(code) + " " + description + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 2;
    }
    std::string report;
    {
        HMODULE library = ::LoadLibraryA(argv[1]);
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(::GetProcAddress(library, "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        ComPtr<IResBundle> bundle;
        if (get == nullptr ||
            FAILED(get(resmelder::com::kClsidResBundle, IID_IClassFactory, factory.PutVoid())) ||
            FAILED(factory->CreateInstance(nullptr, resmelder::com::kIidResBundle,
                                           bundle.PutVoid()))) {
            return 3;
        }
        const std::string other = argv[3];
        report +=
            Line(bundle->OpenExe(Bstr(std::wstring(other.begin(), other.end()).c_str()).Get()));

        // The open image holds only its own file, so the host's file can be renamed.
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (!::MoveFileW(self, (std::wstring(self) + L".moved").c_str())) {
            return 4;
        }
        report += Line(bundle->OpenMyExe());
        report += Line(bundle->Delete(Bstr(L"x").Get()));
    }
    ::CoUninitialize();

    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        return 5;
    }
    std::fputs(report.c_str(), out);
    std::fclose(out);
    return 0;
}
