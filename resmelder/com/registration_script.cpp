#include "registration_script.h"

#include <cctype>
#include <charconv>

namespace resmelder {
namespace {

struct Token {
    enum class Kind { kOpen, kClose, kEquals, kWord, kQuoted, kEnd };
    Kind kind = Kind::kEnd;
    std::string text;
    int line = 1;
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

class Parser {
  public:
    Parser(std::string_view text, const std::map<std::string, std::string>& replacements)
        : text_(text), replacements_(replacements) {}

    ScriptParseResult Run() {
        ScriptParseResult result;
        RegistrationScript script;
        Next();
        while (ok_ && token_.kind != Token::Kind::kEnd) {
            RegistryTree tree;
            if (!ParseRoot(tree)) {
                break;
            }
            Next();
            Expect(Token::Kind::kOpen, "'{' after the root key");
            ParseBody(tree.keys, nullptr, true);
            Expect(Token::Kind::kClose, "'}'");
            script.trees.push_back(std::move(tree));
        }
        if (ok_) {
            result.script = std::move(script);
        } else {
            result.error = std::move(error_);
        }
        return result;
    }

  private:
    void Fail(const std::string& what) {
        if (ok_) {
            ok_ = false;
            error_ = "line " + std::to_string(token_.line) + ": " + what;
        }
        token_.kind = Token::Kind::kEnd;
    }

    void Expect(Token::Kind kind, const char* what) {
        if (!ok_) {
            return;
        }
        if (token_.kind != kind) {
            Fail(std::string("expected ") + what);
            return;
        }
        Next();
    }

    bool IsName() const {
        return token_.kind == Token::Kind::kWord || token_.kind == Token::Kind::kQuoted;
    }
    bool IsWord(std::string_view word) const {
        return token_.kind == Token::Kind::kWord && EqualsNoCase(token_.text, word);
    }

    // Replaces %NAME% markers in one lexed name or value.
    bool Substitute(std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '%') {
                out += text[i];
                continue;
            }
            const std::size_t end = text.find('%', i + 1);
            if (end == std::string::npos) {
                Fail("unterminated '%' marker");
                return false;
            }
            const std::string name = text.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += '%';
            } else if (auto found = replacements_.find(name); found != replacements_.end()) {
                out += found->second;
            } else {
                Fail("unknown marker %" + name + "%");
                return false;
            }
            i = end;
        }
        text = std::move(out);
        return true;
    }

    void Next() {
        if (!ok_) {
            token_.kind = Token::Kind::kEnd;
            return;
        }
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            if (text_[pos_] == '\n') {
                ++line_;
            }
            ++pos_;
        }
        token_ = Token{};
        token_.line = line_;
        if (pos_ >= text_.size()) {
            return;
        }
        const char c = text_[pos_];
        if (c == '{' || c == '}' || c == '=') {
            token_.kind = c == '{'   ? Token::Kind::kOpen
                          : c == '}' ? Token::Kind::kClose
                                     : Token::Kind::kEquals;
            ++pos_;
            return;
        }
        if (c == '\'') {
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size()) {
                    Fail("unterminated quoted text");
                    return;
                }
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        token_.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                if (text_[pos_] == '\n') {
                    ++line_;
                }
                token_.text += text_[pos_++];
            }
            token_.kind = Token::Kind::kQuoted;
        } else {
            while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) &&
                   text_[pos_] != '{' && text_[pos_] != '}' && text_[pos_] != '=' &&
                   text_[pos_] != '\'') {
                token_.text += text_[pos_++];
            }
            token_.kind = Token::Kind::kWord;
        }
        Substitute(token_.text);
    }

    bool ParseRoot(RegistryTree& tree) {
        static constexpr struct {
            const char* shortName;
            const char* longName;
            RegistryRoot root;
        } kRoots[] = {
            {"HKCR", "HKEY_CLASSES_ROOT", RegistryRoot::kClassesRoot},
            {"HKCU", "HKEY_CURRENT_USER", RegistryRoot::kCurrentUser},
            {"HKLM", "HKEY_LOCAL_MACHINE", RegistryRoot::kLocalMachine},
            {"HKU", "HKEY_USERS", RegistryRoot::kUsers},
        };
        if (token_.kind == Token::Kind::kWord) {
            for (const auto& r : kRoots) {
                if (IsWord(r.shortName) || IsWord(r.longName)) {
                    tree.root = r.root;
                    return true;
                }
            }
        }
        Fail("expected a root key (HKCR, HKCU, HKLM, HKU)");
        return false;
    }

    // A key or value name: not empty, and no backslash, which would silently reach into
    // another key.
    bool TakeName(std::string& name) {
        if (!IsName()) {
            Fail("expected a name");
            return false;
        }
        if (token_.text.empty() || token_.text.find('\\') != std::string::npos) {
            Fail("a name must not be empty or contain '\\'");
            return false;
        }
        name = std::move(token_.text);
        Next();
        return true;
    }

    bool ParseTypedValue(RegistryValue& value) {
        if (IsWord("s")) {
            Next();
            if (!IsName()) {
                Fail("expected a string value");
                return false;
            }
            value.type = RegistryValue::Type::kString;
            value.text = token_.text;
            Next();
            return true;
        }
        if (IsWord("d")) {
            Next();
            if (!IsName()) {
                Fail("expected a number");
                return false;
            }
            std::string_view digits = token_.text;
            int base = 10;
            if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
                digits.remove_prefix(2);
                base = 16;
            }
            std::uint32_t number = 0;
            const auto [end, err] =
                std::from_chars(digits.data(), digits.data() + digits.size(), number, base);
            if (err != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
                Fail("'" + token_.text + "' is not a 32-bit number");
                return false;
            }
            value.type = RegistryValue::Type::kDword;
            value.number = number;
            Next();
            return true;
        }
        Fail("expected a value type (s or d)");
        return false;
    }

    void ParseBody(std::vector<RegistryKey>& keys, RegistryKey* owner, bool atRoot) {
        while (ok_ && token_.kind != Token::Kind::kClose && token_.kind != Token::Kind::kEnd) {
            if (IsWord("val")) {
                if (atRoot) {
                    Fail("a value needs a key");
                    return;
                }
                Next();
                RegistryValue value;
                if (!TakeName(value.name)) {
                    return;
                }
                Expect(Token::Kind::kEquals, "'='");
                if (!ok_ || !ParseTypedValue(value)) {
                    return;
                }
                owner->values.push_back(std::move(value));
                continue;
            }
            RegistryKey key;
            if (IsWord("NoRemove")) {
                key.flag = RegistryKey::Flag::kNoRemove;
                Next();
            } else if (IsWord("ForceRemove")) {
                key.flag = RegistryKey::Flag::kForceRemove;
                Next();
            } else if (IsWord("Delete")) {
                key.flag = RegistryKey::Flag::kDelete;
                Next();
            }
            if (!TakeName(key.name)) {
                return;
            }
            if (token_.kind == Token::Kind::kEquals) {
                Next();
                RegistryValue value;
                if (!ParseTypedValue(value)) {
                    return;
                }
                key.values.push_back(std::move(value));
            }
            if (token_.kind == Token::Kind::kOpen) {
                Next();
                ParseBody(key.children, &key, false);
                Expect(Token::Kind::kClose, "'}'");
            }
            keys.push_back(std::move(key));
        }
    }

    std::string_view text_;
    const std::map<std::string, std::string>& replacements_;
    std::size_t pos_ = 0;
    int line_ = 1;
    Token token_;
    bool ok_ = true;
    std::string error_;
};

std::string Join(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

bool RegisterKey(RegistryRoot root, const std::string& parent, const RegistryKey& key,
                 RegistryWriter& registry) {
    const std::string path = Join(parent, key.name);
    if (key.flag == RegistryKey::Flag::kDelete) {
        return registry.DeleteTree(root, path);
    }
    if (key.flag == RegistryKey::Flag::kForceRemove && !registry.DeleteTree(root, path)) {
        return false;
    }
    if (!registry.CreateKey(root, path)) {
        return false;
    }
    for (const auto& value : key.values) {
        if (!registry.SetValue(root, path, value)) {
            return false;
        }
    }
    for (const auto& child : key.children) {
        if (!RegisterKey(root, path, child, registry)) {
            return false;
        }
    }
    return true;
}

bool UnregisterKey(RegistryRoot root, const std::string& parent, const RegistryKey& key,
                   RegistryWriter& registry) {
    const std::string path = Join(parent, key.name);
    switch (key.flag) {
        case RegistryKey::Flag::kDelete:
            return true;
        case RegistryKey::Flag::kForceRemove:
            return registry.DeleteTree(root, path);
        case RegistryKey::Flag::kNoRemove:
        case RegistryKey::Flag::kNone:
            break;
    }
    bool ok = true;
    for (const auto& child : key.children) {
        ok = UnregisterKey(root, path, child, registry) && ok;
    }
    if (key.flag == RegistryKey::Flag::kNoRemove) {
        return ok;
    }
    // Only what the script wrote goes; a key someone else also uses stays.
    for (const auto& value : key.values) {
        ok = registry.DeleteValue(root, path, value.name) && ok;
    }
    return registry.DeleteKeyIfEmpty(root, path) && ok;
}

}  // namespace

ScriptParseResult ParseRegistrationScript(std::string_view text,
                                          const std::map<std::string, std::string>& replacements) {
    return Parser(text, replacements).Run();
}

bool RunRegister(const RegistrationScript& script, RegistryWriter& registry) {
    for (const auto& tree : script.trees) {
        for (const auto& key : tree.keys) {
            if (!RegisterKey(tree.root, "", key, registry)) {
                return false;
            }
        }
    }
    return true;
}

bool RunUnregister(const RegistrationScript& script, RegistryWriter& registry) {
    bool ok = true;
    for (const auto& tree : script.trees) {
        for (const auto& key : tree.keys) {
            ok = UnregisterKey(tree.root, "", key, registry) && ok;
        }
    }
    return ok;
}

}  // namespace resmelder
