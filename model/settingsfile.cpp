#include "model/settingsfile.h"

#include <map>
#include <set>
#include <vector>

#include "framework/text.h"

namespace vt {

namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";
const wchar_t kEntriesKey[] = L"Entries";

// One option: its value name in the program key and the field it fills
// (exactly one of the pointers is set). Stored as app/settings.cpp stores
// them: numbers and flags as DWORDs, the letter as a string.
struct OptionValue {
    const wchar_t* name;
    int AppSettings::*number;
    bool AppSettings::*flag;
    WORD AppSettings::*word;
    std::string AppSettings::*text;
    ShortcutType AppSettings::*shortcut;
};

const OptionValue kOptions[] = {
    {L"Action", &AppSettings::action, nullptr, nullptr, nullptr, nullptr},
    {L"Show Tray", nullptr, &AppSettings::showTray, nullptr, nullptr, nullptr},
    {L"Shortcut Type", nullptr, nullptr, nullptr, nullptr, &AppSettings::shortcutType},
    {L"Windows Key", nullptr, nullptr, nullptr, &AppSettings::windowsKey, nullptr},
    {L"Normal Hot Key Virtual Key", nullptr, nullptr, &AppSettings::normalHotKeyVirtualKey, nullptr,
     nullptr},
    {L"Normal Hot Key Modifier", nullptr, nullptr, &AppSettings::normalHotKeyModifier, nullptr,
     nullptr},
    {L"Always New Explorer", nullptr, &AppSettings::alwaysNewExplorer, nullptr, nullptr, nullptr},
    {L"Activate on RButton down", nullptr, &AppSettings::activateOnRButtonDown, nullptr, nullptr,
     nullptr},
    {L"Activate on mouse wheel", nullptr, &AppSettings::activateOnMouseWheel, nullptr, nullptr,
     nullptr},
    {L"Show Open Folders", nullptr, &AppSettings::showOpenFolders, nullptr, nullptr, nullptr},
    {L"Auto Switch", nullptr, &AppSettings::autoSwitch, nullptr, nullptr, nullptr},
};

// ---- writing ------------------------------------------------------------------

void AppendQuoted(std::wstring& out, const std::wstring& text) {
    out += L'"';
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') out += L'\\';
        out += c;
    }
    out += L'"';
}

// Digits and other ASCII text into the file's UTF-16.
void AppendAscii(std::wstring& out, const std::string& ascii) {
    for (char c : ascii) out += static_cast<wchar_t>(c);
}

void AppendDword(std::wstring& out, const wchar_t* name, DWORD value) {
    AppendQuoted(out, name);
    out += L"=dword:";
    AppendAscii(out, HexDigits(value, 8));
    out += L"\r\n";
}

// A string the quoted form cannot carry (a line break would end the line) is
// written as REG_SZ data in hex, with its terminating zero, in lines of at
// most 80 characters as the registry editor wraps them.
void AppendString(std::wstring& out, const std::wstring& name, const std::string& narrow) {
    const std::wstring text = ToWide(narrow);
    bool plain = true;
    for (wchar_t c : text) plain = plain && c >= 0x20;
    AppendQuoted(out, name);
    if (plain) {
        out += L'=';
        AppendQuoted(out, text);
        out += L"\r\n";
        return;
    }
    out += L"=hex(1):";
    size_t lineStart = out.rfind(L'\n') + 1;  // npos + 1 is 0
    std::vector<unsigned char> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += L',';
            if (out.size() - lineStart > 76) {
                out += L"\\\r\n  ";
                lineStart = out.size() - 2;
            }
        }
        AppendAscii(out, HexDigits(bytes[i], 2));
    }
    out += L"\r\n";
}

std::wstring Numbered(const wchar_t* stem, int position) {
    std::wstring name = stem;
    AppendAscii(name, std::to_string(position));
    return name;
}

// ---- reading ------------------------------------------------------------------

// One value as the file gives it.
struct FileValue {
    DWORD type = REG_NONE;
    bool numberOk = false;  // REG_DWORD of exactly four bytes
    DWORD number = 0;
    bool textOk = false;  // REG_SZ or REG_EXPAND_SZ
    std::wstring text;
};
// Value names are compared without regard to letter case, as the registry does.
using ValueMap = std::map<std::wstring, FileValue>;

std::wstring Upper(std::wstring s) {
    if (!s.empty()) CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// Key names too; upper-cased as the system does it, on every Windows.
bool SameName(const std::wstring& a, const std::wstring& b) { return Upper(a) == Upper(b); }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\0'; }

std::wstring TrimRight(std::wstring s) {
    while (!s.empty() && IsBlank(s.back())) s.pop_back();
    return s;
}
std::wstring TrimLeft(const std::wstring& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// A quoted string from s[pos] (the opening quote); pos ends after the closing
// one. The escapes the system's tools write: \\ \" \n \r; any other
// backslash is kept as it is, as in a path typed by hand.
bool ParseQuoted(const std::wstring& s, size_t& pos, std::wstring& out) {
    if (pos >= s.size() || s[pos] != L'"') return false;
    out.clear();
    for (size_t i = pos + 1; i < s.size(); ++i) {
        const wchar_t c = s[i];
        if (c == L'"') {
            pos = i + 1;
            return true;
        }
        if (c == L'\\' && i + 1 < s.size()) {
            const wchar_t n = s[i + 1];
            if (n == L'\\' || n == L'"') {
                out += n;
                ++i;
                continue;
            }
            if (n == L'n' || n == L'r') {
                out += n == L'n' ? L'\n' : L'\r';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return false;  // no closing quote
}

// "xx,xx,..." (possibly empty) into bytes.
bool ParseHexBytes(const std::wstring& s, std::vector<unsigned char>& bytes) {
    bytes.clear();
    const std::wstring data = TrimRight(TrimLeft(s));
    if (data.empty()) return true;
    size_t i = 0;
    for (;;) {
        while (i < data.size() && IsBlank(data[i])) ++i;
        int value = 0, digits = 0;
        while (i < data.size() && HexDigit(data[i]) >= 0 && digits < 2) {
            value = value * 16 + HexDigit(data[i++]);
            ++digits;
        }
        if (digits == 0) return false;
        bytes.push_back(static_cast<unsigned char>(value));
        while (i < data.size() && IsBlank(data[i])) ++i;
        if (i == data.size()) return true;
        if (data[i] != L',') return false;
        ++i;
    }
}

enum class LineResult { Ok, Bad, Cut };

// The data of a value line (what follows '='). deleted: the "-" form.
LineResult ParseData(const std::wstring& data, bool atEnd, FileValue& v, bool& deleted) {
    deleted = false;
    const LineResult bad = atEnd ? LineResult::Cut : LineResult::Bad;
    if (data == L"-") {
        deleted = true;
        return LineResult::Ok;
    }
    if (!data.empty() && data[0] == L'"') {
        size_t pos = 0;
        if (!ParseQuoted(data, pos, v.text)) return bad;
        if (!TrimLeft(data.substr(pos)).empty()) return LineResult::Bad;
        v.type = REG_SZ;
        v.textOk = true;
        return LineResult::Ok;
    }
    if (data.compare(0, 6, L"dword:") == 0) {
        const std::wstring digits = TrimRight(data.substr(6));
        if (digits.empty() || digits.size() > 8) return bad;
        DWORD n = 0;
        for (wchar_t c : digits) {
            if (HexDigit(c) < 0) return bad;
            n = n * 16 + static_cast<DWORD>(HexDigit(c));
        }
        // The tools always write eight digits: fewer at the very end is a cut.
        if (atEnd && digits.size() < 8) return LineResult::Cut;
        v.type = REG_DWORD;
        v.numberOk = true;
        v.number = n;
        return LineResult::Ok;
    }
    if (data.compare(0, 3, L"hex") != 0) return bad;
    size_t pos = 3;
    DWORD type = REG_BINARY;
    if (pos < data.size() && data[pos] == L'(') {
        const size_t close = data.find(L')', pos);
        if (close == std::wstring::npos || close == pos + 1 || close > pos + 9) return bad;
        type = 0;
        for (size_t i = pos + 1; i < close; ++i) {
            if (HexDigit(data[i]) < 0) return LineResult::Bad;
            type = type * 16 + static_cast<DWORD>(HexDigit(data[i]));
        }
        pos = close + 1;
    }
    if (pos >= data.size() || data[pos] != L':') return bad;
    std::vector<unsigned char> bytes;
    if (!ParseHexBytes(data.substr(pos + 1), bytes)) return bad;
    v.type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        v.textOk = true;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
            if (c == 0) break;  // the text ends at its first zero, as a read of it does
            v.text += c;
        }
    } else if (type == REG_DWORD && bytes.size() == 4) {
        v.numberOk = true;
        v.number =
            bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
    }
    return LineResult::Ok;
}

// The file's text; cut is set when it ends inside a character.
bool Decode(const std::string& bytes, std::wstring& text, bool& cut) {
    cut = false;
    text.clear();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        const size_t units = (bytes.size() - 2) / 2;
        cut = (bytes.size() - 2) % 2 != 0;
        text.resize(units);
        for (size_t i = 0; i < units; ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
        return true;
    }
    // UTF-8, with or without its byte-order mark (a file saved by a text editor).
    size_t start = 0;
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB &&
        static_cast<unsigned char>(bytes[2]) == 0xBF)
        start = 3;
    if (bytes.size() == start) return true;
    // A file cut inside a character decodes once its last 1..3 bytes go.
    for (size_t drop = 0; drop < 4 && start + drop < bytes.size(); ++drop) {
        const char* p = bytes.data() + start;
        const int n = static_cast<int>(bytes.size() - start - drop);
        const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p, n, nullptr, 0);
        if (units <= 0) continue;
        text.resize(static_cast<size_t>(units));
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p, n, &text[0], units);
        cut = drop > 0;
        return true;
    }
    return false;
}

struct Line {
    std::wstring text;
    int number;
};

bool ParsePosition(const std::wstring& upperName, const wchar_t* stem, int& position) {
    const size_t n = wcslen(stem);
    if (upperName.compare(0, n, stem) != 0 || upperName.size() == n) return false;
    const std::wstring d = upperName.substr(n);
    if (d.size() > 1 && d[0] == L'0') return false;
    long long v = 0;
    for (wchar_t c : d) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + (c - L'0');
        if (v > 0x7FFFFFFF) return false;
    }
    position = static_cast<int>(v);
    return true;
}

const FileValue* Find(const ValueMap& values, const std::wstring& name) {
    auto it = values.find(Upper(name));
    return it == values.end() ? nullptr : &it->second;
}

std::string TextOf(const ValueMap& values, const std::wstring& name, const std::string& def) {
    const FileValue* v = Find(values, name);
    return v && v->textOk ? ToNarrow(v->text) : def;
}

}  // namespace

std::string WriteSettingsFile(const FolderList& folders, const AppSettings& settings,
                              const std::string& programKey) {
    const std::wstring key = ToWide(programKey);
    const std::wstring entriesKey = key + L"\\" + kEntriesKey;
    std::wstring out = kHeader;
    out += L"\r\n\r\n";
    out += L"[-" + entriesKey + L"]\r\n\r\n";

    out += L"[" + key + L"]\r\n";
    for (const OptionValue& o : kOptions) {
        if (o.number)
            AppendDword(out, o.name, static_cast<DWORD>(settings.*o.number));
        else if (o.shortcut)
            AppendDword(out, o.name, static_cast<DWORD>(StoredShortcutType(settings.*o.shortcut)));
        else if (o.flag)
            AppendDword(out, o.name, (settings.*o.flag) ? 1 : 0);
        else if (o.word)
            AppendDword(out, o.name, settings.*o.word);
        else
            AppendString(out, o.name, settings.*o.text);
    }
    // A restored key is not a first run: no folders are seeded over it.
    AppendDword(out, L"Already Run", 1);
    out += L"\r\n";

    // "Count" last: a file cut anywhere before its end lacks it.
    out += L"[" + entriesKey + L"]\r\n";
    int i = 0;
    for (const auto& kv : folders) {
        const FolderEntry& e = kv.second;
        AppendString(out, Numbered(L"Path", i), e.path);
        AppendString(out, Numbered(L"Title", i), e.title);
        AppendString(out, Numbered(L"IconFile", i), e.iconFile);
        AppendDword(out, Numbered(L"IconIndex", i).c_str(), static_cast<DWORD>(e.iconIndex));
        ++i;
    }
    AppendDword(out, L"Count", static_cast<DWORD>(folders.size()));
    out += L"\r\n";

    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + out.size() * 2);
    for (wchar_t c : out) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

SettingsFileContents ReadSettingsFile(const std::string& bytes, const AppSettings& base,
                                      const std::string& programKey) {
    SettingsFileContents result;
    result.settings = base;
    auto fail = [&](SettingsFileProblem p, int line = 0, const std::string& detail = {}) {
        SettingsFileContents r;
        r.settings = base;
        r.problem = p;
        r.line = line;
        r.detail = detail;
        return r;
    };

    std::wstring text;
    bool cutUnit = false;
    if (!Decode(bytes, text, cutUnit)) return fail(SettingsFileProblem::NotRegistryFile);
    bool blank = true;
    for (wchar_t c : text) blank = blank && (IsBlank(c) || c == L'\n');
    if (blank) return fail(SettingsFileProblem::Empty);

    // Lines end in LF or CR LF.
    std::vector<Line> lines;
    bool lastEnded = false;
    {
        size_t start = 0;
        int number = 1;
        while (start < text.size()) {
            const size_t nl = text.find(L'\n', start);
            if (nl == std::wstring::npos) {
                lines.push_back({text.substr(start), number});
                lastEnded = false;
                break;
            }
            lines.push_back({text.substr(start, nl - start), number++});
            lastEnded = true;
            start = nl + 1;
        }
    }
    const bool endsCut = cutUnit || !lastEnded;

    const std::wstring header = TrimRight(TrimLeft(lines[0].text));
    if (header != kHeader) {
        const std::wstring full = kHeader;
        if (lines.size() == 1 && endsCut && full.compare(0, header.size(), header) == 0)
            return fail(SettingsFileProblem::Truncated, 1);
        if (header.compare(0, 7, L"REGEDIT") == 0 ||
            header.compare(0, 31, L"Windows Registry Editor Version") == 0)
            return fail(SettingsFileProblem::WrongVersion, 1, ToNarrow(header));
        return fail(SettingsFileProblem::NotRegistryFile, 1);
    }

    const std::wstring mainKey = ToWide(programKey);
    const std::wstring entriesKey = mainKey + L"\\" + kEntriesKey;
    enum class Where { None, Main, Entries, Other };
    Where where = Where::None;
    bool entriesSeen = false;
    bool ownKeyLine = false;  // any line naming one of our keys, a deletion too
    ValueMap mainValues, entryValues;

    for (size_t i = 1; i < lines.size(); ++i) {
        const int number = lines[i].number;
        std::wstring logical = TrimLeft(TrimRight(lines[i].text));
        if (logical.empty() || logical[0] == L';') continue;
        // Hex data goes on over lines that end in a backslash.
        bool cut = false;
        while (!logical.empty() && logical.back() == L'\\') {
            logical.pop_back();
            if (i + 1 >= lines.size()) {
                cut = true;
                break;
            }
            logical += TrimLeft(TrimRight(lines[++i].text));
        }
        const bool atEnd = i + 1 == lines.size() && endsCut;
        if (cut) return fail(SettingsFileProblem::Truncated, number);
        const SettingsFileProblem bad =
            atEnd ? SettingsFileProblem::Truncated : SettingsFileProblem::Damaged;

        if (logical[0] == L'[') {
            if (logical.back() != L']') return fail(bad, number);
            std::wstring name = logical.substr(1, logical.size() - 2);
            const bool deletion = !name.empty() && name[0] == L'-';
            if (deletion) name.erase(0, 1);
            name = TrimRight(TrimLeft(name));
            Where kind = Where::Other;
            if (SameName(name, mainKey))
                kind = Where::Main;
            else if (SameName(name, entriesKey))
                kind = Where::Entries;
            else if (name.size() <= mainKey.size() + 1 ||
                     !SameName(name.substr(0, mainKey.size() + 1), mainKey + L"\\"))
                return fail(SettingsFileProblem::ForeignKey, number, ToNarrow(name));
            ownKeyLine = true;
            if (deletion) {
                // What a deletion takes, the file's later lines may bring back.
                if (kind == Where::Main) mainValues.clear();
                if (kind != Where::Other) {
                    entryValues.clear();
                    entriesSeen = false;
                }
                where = Where::None;
                continue;
            }
            where = kind;
            if (kind == Where::Entries) entriesSeen = true;
            continue;
        }

        // A value: "name"=data or @=data.
        if (where == Where::None) return fail(SettingsFileProblem::Damaged, number);
        std::wstring name;
        size_t pos = 0;
        if (logical[0] == L'@') {
            pos = 1;
        } else if (!ParseQuoted(logical, pos, name)) {
            return fail(bad, number);
        }
        while (pos < logical.size() && IsBlank(logical[pos])) ++pos;
        if (pos >= logical.size() || logical[pos] != L'=') return fail(bad, number);
        FileValue v;
        bool deleted = false;
        const LineResult r = ParseData(TrimLeft(logical.substr(pos + 1)), atEnd, v, deleted);
        if (r == LineResult::Cut) return fail(SettingsFileProblem::Truncated, number);
        if (r == LineResult::Bad) return fail(SettingsFileProblem::Damaged, number);
        if (logical[0] == L'@' || where == Where::Other) continue;  // not ours to read
        ValueMap& values = where == Where::Main ? mainValues : entryValues;
        if (deleted)
            values.erase(Upper(name));
        else
            values[Upper(name)] = v;
    }
    const int lastLine = lines.back().number;
    if (cutUnit) return fail(SettingsFileProblem::Truncated, lastLine);
    if (!ownKeyLine) return fail(SettingsFileProblem::NoSettings);
    // Every export has the folder list (an empty one too) and its count.
    if (!entriesSeen) return fail(SettingsFileProblem::Truncated, lastLine);
    const FileValue* count = Find(entryValues, L"Count");
    if (!count) return fail(SettingsFileProblem::Truncated, lastLine);
    if (!count->numberOk || count->number > 0x7FFFFFFF)
        return fail(SettingsFileProblem::Damaged, 0, "Count");
    const int n = static_cast<int>(count->number);

    // The positions the file holds, found from the names, so that a huge
    // count costs nothing. An export holds every position up to the count:
    // fewer at the end means the file was cut.
    std::set<int> positions;
    int highest = -1;
    for (const auto& kv : entryValues) {
        int p = -1;
        if (ParsePosition(kv.first, L"PATH", p) || ParsePosition(kv.first, L"TITLE", p)) {
            if (p < n) {
                positions.insert(p);
                if (p > highest) highest = p;
            }
        }
    }
    if (highest != n - 1) return fail(SettingsFileProblem::Truncated, lastLine);

    int key = 0;
    for (int p : positions) {
        FolderEntry e;
        e.path = TextOf(entryValues, Numbered(L"Path", p), "");
        e.title = TextOf(entryValues, Numbered(L"Title", p), "");
        if (e.path.empty() || e.title.empty()) continue;
        e.iconFile = TextOf(entryValues, Numbered(L"IconFile", p), "");
        const FileValue* index = Find(entryValues, Numbered(L"IconIndex", p));
        e.iconIndex = index && index->numberOk ? static_cast<int>(index->number) : -1;
        result.folders[key++] = std::move(e);
    }

    for (const OptionValue& o : kOptions) {
        const FileValue* v = Find(mainValues, o.name);
        if (!v) continue;
        if (o.text) {
            if (v->textOk) result.settings.*o.text = ToNarrow(v->text);
        } else if (v->numberOk) {
            if (o.number) result.settings.*o.number = static_cast<int>(v->number);
            if (o.shortcut)
                result.settings.*o.shortcut = ShortcutTypeFromStored(static_cast<int>(v->number));
            if (o.flag) result.settings.*o.flag = v->number != 0;
            if (o.word) result.settings.*o.word = static_cast<WORD>(v->number & 0xFFFF);
        }
    }
    return result;
}

}  // namespace vt
