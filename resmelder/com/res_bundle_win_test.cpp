// IResBundle through the real library: preconditions, results, error objects and the state
// an instance keeps between calls.

#include <cstring>

#include "com_test_support_win.h"
#include "testing/test_folder.h"

namespace resmelder::com::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ResBundleTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        bundle_ = NewBundle();
        ASSERT_TRUE(bundle_);
        dir_ = (folder_ / L"").wstring();
    }
    void TearDown() override {
        bundle_.Reset();
        ComTest::TearDown();
    }

    HRESULT Open(const std::wstring& path) { return bundle_->OpenExe(Bstr(path.c_str()).Get()); }
    HRESULT InsertString(const wchar_t* name, const wchar_t* text) {
        return bundle_->InsertString(Bstr(name).Get(), Bstr(text).Get());
    }
    std::wstring GetString(const wchar_t* name, HRESULT expected = S_OK) {
        Bstr out;
        EXPECT_EQ(bundle_->GetString(Bstr(name).Get(), out.Put()), expected);
        return out.Get() ? out.Get() : L"<null>";
    }

    ComPtr<IResBundle> bundle_;
    test_support::TestFolder folder_{"resmelder_com"};
    std::wstring dir_;
};

TEST_F(ResBundleTest, EveryMethodButTheOpenersNeedsAnImage) {
    const wchar_t* kNoExe = L"No EXE has been opened yet.";
    Bstr name(L"X");
    Bstr file((dir_ + L"never.bin").c_str());
    Variant value;
    Bstr text;

    EXPECT_EQ(bundle_->WriteExe(file.Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->InsertFile(name.Get(), file.Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->InsertString(name.Get(), name.Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->InsertBinary(name.Get(), *value), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->Delete(name.Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->GetBinary(name.Get(), value.Get()), E_FAIL);
    EXPECT_EQ(value->vt, VT_EMPTY);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->GetString(name.Get(), text.Put()), E_FAIL);
    EXPECT_EQ(TakeDescription(), kNoExe);
    EXPECT_EQ(bundle_->Extract(name.Get(), file.Get()), E_FAIL);

    // The error object names the interface and the component.
    const ReportedError error = TakeError();
    EXPECT_EQ(error.description, kNoExe);
    EXPECT_EQ(error.source, L"Resmelder");
    EXPECT_TRUE(IsEqualGUID(error.guid, kIidResBundle));
    EXPECT_EQ(::GetFileAttributesW((dir_ + L"never.bin").c_str()), INVALID_FILE_ATTRIBUTES);

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(bundle_.As(IID_ISupportErrorInfo, support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kIidResBundle), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST_F(ResBundleTest, FailedOpensDropThePreviousImage) {
    // A missing file fails without an error object, and no stale one from an earlier call
    // is left to be mistaken for this failure's.
    ASSERT_EQ(bundle_->Delete(Bstr(L"x").Get()), E_FAIL);
    EXPECT_EQ(Open(dir_ + L"missing.exe"), E_FAIL);
    EXPECT_FALSE(TakeError().present);
    EXPECT_EQ(Open(L""), E_FAIL);
    EXPECT_FALSE(TakeError().present);

    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    ASSERT_EQ(InsertString(L"Kept", L"value"), S_OK);
    WriteFileBytes(dir_ + L"notpe.exe", "just some text, no MZ");
    EXPECT_EQ(Open(dir_ + L"notpe.exe"), E_FAIL);
    EXPECT_EQ(TakeDescription(), L"Failed to load EXE - unspecified error");
    EXPECT_EQ(InsertString(L"Kept", L"value"), E_FAIL);  // the image is gone
    EXPECT_EQ(TakeDescription(), L"No EXE has been opened yet.");

    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    EXPECT_EQ(Open(dir_ + L"missing.exe"), E_FAIL);
    EXPECT_EQ(bundle_->Delete(Bstr(L"x").Get()), E_FAIL);
}

TEST_F(ResBundleTest, StringsRoundTripAsAnsiBytesWithoutTerminator) {
    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    ASSERT_EQ(InsertString(L"Greeting", L"Hello"), S_OK);
    ASSERT_EQ(InsertString(L"Accents", L"caf\u00E9 cr\u00E8me"), S_OK);
    EXPECT_EQ(GetString(L"Greeting"), L"Hello");
    EXPECT_EQ(GetString(L"Accents"), L"caf\u00E9 cr\u00E8me");

    Variant bytes;
    ASSERT_EQ(bundle_->GetBinary(Bstr(L"Greeting").Get(), bytes.Get()), S_OK);
    EXPECT_EQ(bytes->vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(ArrayBytes(*bytes), (Bytes{'H', 'e', 'l', 'l', 'o'}));

    // Names are found in any case, as the loader finds them. A miss is an empty string for
    // GetString but a reported failure for GetBinary and Extract.
    EXPECT_EQ(GetString(L"greeting"), L"Hello");
    EXPECT_EQ(GetString(L"ACCENTS"), L"caf\u00E9 cr\u00E8me");
    EXPECT_EQ(GetString(L"greetings"), L"");
    Variant untouched;
    EXPECT_EQ(bundle_->GetBinary(Bstr(L"greetings").Get(), untouched.Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), L"Failed to get resource data: ResourceName = greetings");
    EXPECT_EQ(untouched->vt, VT_EMPTY);
    EXPECT_EQ(bundle_->Extract(Bstr(L"Nope").Get(), Bstr((dir_ + L"x").c_str()).Get()), E_FAIL);
    EXPECT_EQ(TakeDescription(), L"Failed to get resource data: ResourceName = Nope");

    // An empty string is an entry without bytes.
    ASSERT_EQ(InsertString(L"Empty", L""), S_OK);
    Variant empty;
    ASSERT_EQ(bundle_->GetBinary(Bstr(L"Empty").Get(), empty.Get()), S_OK);
    EXPECT_EQ(empty->vt, VT_NULL);
    EXPECT_EQ(GetString(L"Empty"), L"");

    EXPECT_EQ(bundle_->Delete(Bstr(L"Greeting").Get()), S_OK);
    EXPECT_EQ(GetString(L"Greeting"), L"");
    EXPECT_EQ(bundle_->Delete(Bstr(L"Greeting").Get()), S_OK);  // nothing matched: still S_OK

    EXPECT_EQ(bundle_->GetString(Bstr(L"Greeting").Get(), nullptr), E_POINTER);
    EXPECT_EQ(bundle_->GetBinary(Bstr(L"Greeting").Get(), nullptr), E_POINTER);
}

TEST_F(ResBundleTest, FileEntriesAreReadOnlyWhenWritten) {
    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    const std::wstring source = dir_ + L"payload.bin";
    WriteFileBytes(source, "old");
    ASSERT_EQ(bundle_->InsertFile(Bstr(L"Payload").Get(), Bstr(source.c_str()).Get()), S_OK);

    Variant before;
    ASSERT_EQ(bundle_->GetBinary(Bstr(L"Payload").Get(), before.Get()), S_OK);
    EXPECT_EQ(before->vt, VT_NULL);
    const std::wstring extracted = dir_ + L"extracted.bin";
    WriteFileBytes(extracted, "previous content");
    ASSERT_EQ(bundle_->Extract(Bstr(L"Payload").Get(), Bstr(extracted.c_str()).Get()), S_OK);
    EXPECT_EQ(ReadFileBytes(extracted), "");

    // The file's content at write time goes into the executable.
    WriteFileBytes(source, std::string("new\0bytes", 9));
    const std::wstring output = dir_ + L"with_file.exe";
    ASSERT_EQ(bundle_->WriteExe(Bstr(output.c_str()).Get()), S_OK);
    ASSERT_EQ(Open(output), S_OK);
    Variant after;
    ASSERT_EQ(bundle_->GetBinary(Bstr(L"Payload").Get(), after.Get()), S_OK);
    EXPECT_EQ(ArrayBytes(*after), (Bytes{'n', 'e', 'w', 0, 'b', 'y', 't', 'e', 's'}));
    ASSERT_EQ(bundle_->Extract(Bstr(L"Payload").Get(), Bstr(extracted.c_str()).Get()), S_OK);
    EXPECT_EQ(ReadFileBytes(extracted), std::string("new\0bytes", 9));

    EXPECT_EQ(bundle_->Extract(Bstr(L"Payload").Get(),
                               Bstr((dir_ + L"no\\such\\dir\\x.bin").c_str()).Get()),
              E_FAIL);
    EXPECT_EQ(TakeDescription(), L"Failed to write file");
}

// Extracting over the open executable would destroy it: refused for any name that leads to
// the same file, found by its identity (volume and file index), not by its spelling.
TEST_F(ResBundleTest, ExtractNeverOverwritesTheOpenExecutable) {
    const std::wstring exe = dir_ + L"own.exe";
    const std::wstring link = dir_ + L"own_link.exe";
    ::DeleteFileW(link.c_str());  // left by an earlier run
    ASSERT_TRUE(::CopyFileW(ProbePath(L"probe64.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), exe.c_str(), nullptr));
    const std::string before = ReadFileBytes(exe);
    ASSERT_EQ(Open(exe), S_OK);
    ASSERT_EQ(InsertString(L"Note", L"text"), S_OK);
    for (const std::wstring& target : {exe, dir_ + L"OWN.EXE", link}) {
        EXPECT_EQ(bundle_->Extract(Bstr(L"Note").Get(), Bstr(target.c_str()).Get()), E_FAIL);
        EXPECT_EQ(TakeDescription(), L"Failed to write file");
    }
    bundle_.Reset();
    EXPECT_EQ(ReadFileBytes(exe), before);
    ::DeleteFileW(link.c_str());
}

// A folder is no data file: refused when it is added, not when the executable is written.
TEST_F(ResBundleTest, InsertFileRefusesAFolder) {
    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    EXPECT_EQ(bundle_->InsertFile(Bstr(L"Folder").Get(), Bstr(dir_.c_str()).Get()), E_FAIL);
    EXPECT_NE(TakeDescription().find(L"Not a regular file"), std::wstring::npos);
}

TEST_F(ResBundleTest, WritesAreRepeatableAndFailuresCarryTheWholeLog) {
    // Failed opens leave their lines in the log; the instance never clears it.
    const std::wstring missing = dir_ + L"missing_before.exe";
    EXPECT_EQ(Open(missing), E_FAIL);
    const std::wstring locked = dir_ + L"locked.exe";
    ASSERT_TRUE(::CopyFileW(ProbePath(L"probe64.exe").c_str(), locked.c_str(), FALSE));
    {
        win::UniqueFile lock(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(Open(locked), E_FAIL);
        EXPECT_FALSE(TakeError().present);
    }
    const std::wstring source = dir_ + L"source.exe";
    ASSERT_TRUE(::CopyFileW(ProbePath(L"probe64.exe").c_str(), source.c_str(), FALSE));
    ASSERT_EQ(Open(source), S_OK);
    ASSERT_EQ(InsertString(L"Added", L"text"), S_OK);

    const std::wstring first = dir_ + L"first.exe";
    const std::wstring second = dir_ + L"second.exe";
    ASSERT_EQ(bundle_->WriteExe(Bstr(first.c_str()).Get()), S_OK);
    ASSERT_EQ(bundle_->WriteExe(Bstr(second.c_str()).Get()), S_OK);
    EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(second));

    // The source stays open and mapped: it cannot be overwritten.
    EXPECT_EQ(bundle_->WriteExe(Bstr(source.c_str()).Get()), E_FAIL);
    const std::wstring log = TakeDescription();
    EXPECT_EQ(log.rfind(L"VantrixLog:\r\n", 0), 0u) << log;
    EXPECT_NE(log.find(L"  WriteExe:\r\n    Failed to open file"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"filename: " + missing), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"filename: " + locked), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"filename: " + source), std::wstring::npos) << log;
    EXPECT_EQ(ReadFileBytes(source), ReadFileBytes(ProbePath(L"probe64.exe")));

    // The image is still open and unchanged.
    EXPECT_EQ(GetString(L"Added"), L"text");
    ASSERT_EQ(Open(first), S_OK);
    EXPECT_EQ(GetString(L"Added"), L"text");
}

TEST_F(ResBundleTest, ImagesWithoutResourcesTakeEntriesIntoANewSection) {
    // An empty name is refused without a log line.
    EXPECT_EQ(Open(L""), E_FAIL);
    // A program built without resources starts from an empty tree and keeps what it is given.
    ASSERT_EQ(Open(ProbePath(L"norsrc64.exe")), S_OK);
    EXPECT_EQ(InsertString(L"Grüße", L"a"), S_OK);
    Variant value;
    value->vt = VT_I4;
    value->lVal = 7;
    EXPECT_EQ(bundle_->InsertBinary(Bstr(L"C").Get(), *value), S_OK);
    EXPECT_EQ(GetString(L"grüße"), L"a");

    EXPECT_EQ(bundle_->WriteExe(Bstr((dir_ + L"no\\such\\dir\\x.exe").c_str()).Get()), E_FAIL);
    EXPECT_FALSE(TakeDescription().empty());
    const std::wstring written = dir_ + L"with resources.exe";
    ASSERT_EQ(bundle_->WriteExe(Bstr(written.c_str()).Get()), S_OK);
    ASSERT_EQ(Open(written), S_OK);
    EXPECT_EQ(GetString(L"GRÜSSE"), L"");
    EXPECT_EQ(GetString(L"GRÜßE"), L"a");
}

TEST_F(ResBundleTest, OpenMyExeReadsTheHostProgram) {
    ASSERT_EQ(bundle_->OpenMyExe(), S_OK);
    const std::wstring copy = dir_ + L"host_copy.exe";
    ASSERT_EQ(bundle_->WriteExe(Bstr(copy.c_str()).Get()), S_OK);
    wchar_t host[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, host, MAX_PATH);
    EXPECT_EQ(ReadFileBytes(copy).substr(0, 64), ReadFileBytes(host).substr(0, 64));
}

TEST_F(ResBundleTest, OpenMyExeFailsWhenTheHostFileIsGone) {
    // A host whose executable was renamed while it runs: its module name now names nothing.
    const std::wstring host = dir_ + L"host_copy_of_helper.exe";
    const std::wstring report = dir_ + L"host_report.txt";
    ASSERT_TRUE(::CopyFileW((win::test::ThisProgramFolder() / L"resmelder_com_host.exe").c_str(),
                            host.c_str(), FALSE));
    const win::test::StartedProcess started =
        win::test::StartProcess(L"\"" + host + L"\" \"" + LibraryPath() + L"\" \"" + report +
                                L"\" \"" + ProbePath(L"probe64.exe") + L"\"");
    ASSERT_TRUE(started);
    ASSERT_EQ(::WaitForSingleObject(started.process.get(), 60000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    ::GetExitCodeProcess(started.process.get(), &exitCode);
    ASSERT_EQ(exitCode, 0u);

    EXPECT_EQ(ReadFileBytes(report),
              "00000000 \n"
              "80004005 Failed to open the calling process's EXE\n"
              "80004005 No EXE has been opened yet.\n");  // the image was dropped first
    EXPECT_NE(::GetFileAttributesW((host + L".moved").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ResBundleTest, IDispatchServesTheTypeLibrary) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(bundle_.As(IID_IDispatch, dispatch), S_OK);
    const wchar_t* names[] = {L"OpenExe",      L"WriteExe", L"InsertFile", L"InsertString",
                              L"InsertBinary", L"Delete",   L"GetBinary",  L"GetString",
                              L"OpenMyExe",    L"Extract"};
    for (DISPID expected = 1; const wchar_t* name : names) {
        LPOLESTR n = const_cast<LPOLESTR>(name);
        DISPID id = -1;
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &n, 1, 0x409, &id), S_OK) << name;
        EXPECT_EQ(id, expected++) << name;
    }

    // A failure reaches a script as an exception with the description.
    Bstr arg(L"Name");
    VARIANTARG args[1];
    ::VariantInit(&args[0]);
    args[0].vt = VT_BSTR;
    args[0].bstrVal = arg.Get();
    DISPPARAMS params{args, nullptr, 1, 0};
    Variant result;
    EXCEPINFO exception{};
    UINT argError = 0;
    EXPECT_EQ(dispatch->Invoke(8, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.Get(),
                               &exception, &argError),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_FAIL);
    EXPECT_STREQ(exception.bstrDescription, L"No EXE has been opened yet.");
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrHelpFile);

    ASSERT_EQ(Open(ProbePath(L"probe64.exe")), S_OK);
    ASSERT_EQ(InsertString(L"Name", L"through dispatch"), S_OK);
    EXPECT_EQ(dispatch->Invoke(8, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.Get(), nullptr,
                               nullptr),
              S_OK);
    ASSERT_EQ(result->vt, VT_BSTR);
    EXPECT_STREQ(result->bstrVal, L"through dispatch");
}

// Reads one string of the library's version block.
std::wstring VersionString(const std::vector<std::uint8_t>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) {
        return L"<missing>";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(ResourcesTest, LibraryCarriesItsResources) {
    HMODULE module = Server::Get().Module();
    ASSERT_NE(module, nullptr);
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(module, kProjectNameString, text, 64), 0);
    EXPECT_STREQ(text, L"Resmelder");
    // The icon group holds one image, icon 1.
    HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(kIconGroupResource),
                                  MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* entries =
        static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, group)));
    ASSERT_EQ(::SizeofResource(module, group), 6u + 14u);
    WORD count = 0;
    WORD id = 0;
    std::memcpy(&count, entries + 4, sizeof count);
    std::memcpy(&id, entries + 6 + 12, sizeof id);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(id, 1);
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(3)),  // RT_ICON 1
              nullptr);
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(kRegistrationScriptResource), L"REGISTRY"),
              nullptr);
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(kTypeLibResource), L"TYPELIB"), nullptr);

    // The toolbox picture: 32 x 32 in 256 colours.
    HRSRC bitmap = ::FindResourceW(module, MAKEINTRESOURCEW(kToolboxBitmapResource),
                                   MAKEINTRESOURCEW(2));  // RT_BITMAP
    ASSERT_NE(bitmap, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, bitmap)));
    EXPECT_EQ(header->biWidth, 32);
    EXPECT_EQ(header->biHeight, 32);
    EXPECT_EQ(header->biBitCount, 8);

    const std::wstring path = LibraryPath();
    DWORD ignored = 0;
    std::vector<std::uint8_t> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        ::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Resmelder Module");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Resmelder Module");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"Resmelder");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Resmelder.DLL");
}

TEST(ResourcesTest, ExportsExactlyTheFiveEntryPointsByName) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(Server::Get().Module());
    ASSERT_NE(base, nullptr);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_EQ(exports->NumberOfFunctions, 5u);
    ASSERT_EQ(exports->NumberOfNames, 5u);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        exported.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    }
    EXPECT_EQ(exported,
              (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllInstall",
                                        "DllRegisterServer", "DllUnregisterServer"}));
}

TEST_F(ResBundleTest, CanUnloadOnlyWhenNothingIsAlive) {
    EXPECT_EQ(Server::Get().CanUnloadNow(), S_FALSE);  // the fixture's instance
    bundle_.Reset();
    EXPECT_EQ(Server::Get().CanUnloadNow(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(Server::Get().GetClassObject(kClsidResBundle, IID_IClassFactory, factory.PutVoid()),
              S_OK);
    EXPECT_EQ(Server::Get().CanUnloadNow(), S_FALSE);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(Server::Get().CanUnloadNow(), S_FALSE);  // locked
    ASSERT_EQ(Server::Get().GetClassObject(kClsidResBundle, IID_IClassFactory, factory.PutVoid()),
              S_OK);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), IID_IUnknown,
                                      aggregated.PutVoid()),
              CLASS_E_NOAGGREGATION);
    factory.Reset();
    EXPECT_EQ(Server::Get().CanUnloadNow(), S_OK);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(Server::Get().GetClassObject(IID_IDispatch, IID_IClassFactory, &none),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace resmelder::com::test
