// Reading module files as the host does (graph/modules.h says what a module
// file holds). Every problem is a warning and a skipped line or module.
#include "graph/modules.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace rdhost {

namespace {

bool isDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string canonical(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string quoted(const std::string& s) {
    // A line of a file can be long or hold anything: keep the warning one line.
    std::string q = s.size() > 200 ? s.substr(0, 200) + "..." : s;
    for (char& c : q)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return "'" + q + "'";
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

bool isAbsolute(const std::string& p) { return !p.empty() && p[0] == '/'; }

std::string joinPath(const std::string& dir, const std::string& rel) {
    if (rel.empty() || rel == ".") return dir;
    if (isAbsolute(rel)) return rel;
    std::string r = rel;
    while (r.rfind("./", 0) == 0) r.erase(0, 2);
    return dir + "/" + r;
}

void addOnce(std::vector<std::string>& list, const std::string& folder) {
    if (std::find(list.begin(), list.end(), folder) == list.end()) list.push_back(folder);
}

// A folder and, for "[r]", every folder below it that is not hidden.
void addTree(std::vector<std::string>& list, const std::string& folder, bool recursive, int depth = 0) {
    addOnce(list, folder);
    if (!recursive || depth > 32) return;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    std::vector<std::string> subs;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n.empty() || n[0] == '.') continue;
        if (isDir(folder + "/" + n)) subs.push_back(n);
    }
    ::closedir(d);
    std::sort(subs.begin(), subs.end());
    for (const auto& s : subs) addTree(list, folder + "/" + s, true, depth + 1);
}

class Reader {
public:
    Reader(const ModuleHost& host, const std::function<const char*(const std::string&)>& env,
           const std::function<void(const std::string&)>& warn)
        : host_(host), env_(env), warn_(warn) {}

    void readFile(const std::string& file);
    std::vector<Module> modules;

private:
    // Expands "${NAME}" (module variables, then the environment). False, with
    // the chain in `loop`, when a variable comes back to itself.
    bool expand(const std::string& text, std::vector<std::string>& stack, std::string& out,
                std::string& loop);
    bool expandLine(const std::string& text, std::string& out, const std::string& where,
                    const std::string& defining = "");
    void header(const std::vector<std::string>& w, const std::string& where, const std::string& fileDir,
                const std::string& file);
    void body(const std::string& line, const std::string& where);
    void finish();

    const ModuleHost& host_;
    const std::function<const char*(const std::string&)>& env_;
    const std::function<void(const std::string&)>& warn_;
    std::map<std::string, std::string> raw_;  // module variables as written
    Module current_;
    bool open_ = false;     // a module's lines are being read
    bool skipped_ = false;  // ... of a module that is switched off or skipped
    bool scriptsMoved_ = false, plugInsMoved_ = false, iconsMoved_ = false;
};

bool Reader::expand(const std::string& text, std::vector<std::string>& stack, std::string& out,
                    std::string& loop) {
    for (size_t i = 0; i < text.size();) {
        size_t b = text.find("${", i);
        size_t e = b == std::string::npos ? b : text.find('}', b + 2);
        if (b == std::string::npos || e == std::string::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, b - i);
        const std::string name = text.substr(b + 2, e - b - 2);
        i = e + 1;
        if (std::find(stack.begin(), stack.end(), name) != stack.end() || stack.size() > 64) {
            for (const auto& s : stack) loop += s + " -> ";
            loop += name;
            return false;
        }
        auto it = raw_.find(name);
        if (it != raw_.end()) {
            stack.push_back(name);
            bool ok = expand(it->second, stack, out, loop);
            stack.pop_back();
            if (!ok) return false;
        } else if (const char* v = env_ ? env_(name) : nullptr) {
            out += v;
        }
    }
    return true;
}

bool Reader::expandLine(const std::string& text, std::string& out, const std::string& where,
                        const std::string& defining) {
    std::vector<std::string> stack;
    if (!defining.empty()) stack.push_back(defining);
    std::string loop;
    out.clear();
    if (expand(text, stack, out, loop)) return true;
    warn_(where + ": variables refer to each other in a loop (" + loop + "); skipped");
    return false;
}

void Reader::finish() {
    if (open_ && !skipped_) {
        Module& m = current_;
        // The module's own folders come first unless its lines moved them.
        auto defaults = [&](bool moved, const char* sub, std::vector<std::string>& list) {
            const std::string folder = m.path + "/" + sub;
            if (!moved && isDir(folder)) list.insert(list.begin(), folder);
            std::vector<std::string> once;
            for (const auto& f : list) addOnce(once, f);
            list = once;
        };
        defaults(plugInsMoved_, "plug-ins", m.plugInPath);
        defaults(scriptsMoved_, "scripts", m.scriptPath);
        defaults(iconsMoved_, "icons", m.iconPath);
        modules.push_back(std::move(m));
    }
    current_ = Module();
    open_ = skipped_ = scriptsMoved_ = plugInsMoved_ = iconsMoved_ = false;
}

void Reader::header(const std::vector<std::string>& w, const std::string& where, const std::string& fileDir,
                    const std::string& file) {
    open_ = true;
    skipped_ = true;
    if (w[0] == "-") return;  // switched off
    size_t i = 1;
    static const std::regex condition("([A-Z]+):(.*)");
    bool applies = true;
    for (; i < w.size(); ++i) {
        std::smatch m;
        if (!std::regex_match(w[i], m, condition)) break;
        const std::string key = m[1], value = m[2];
        if (key == "PLATFORM") {
            if (value != "linux" && value != "win64" && value != "mac") {
                warn_(where + ": unknown platform '" + value + "' (linux, win64 or mac); module skipped");
                return;
            }
            applies = applies && value == host_.platform;
        } else if (key == "MAYAVERSION") {
            applies = applies && value == host_.version;
        } else if (key == "LOCALE") {
            applies = applies && value == host_.locale;
        } else {
            warn_(where + ": unknown condition " + quoted(w[i]) +
                  " (MAYAVERSION, PLATFORM or LOCALE); module skipped");
            return;
        }
    }
    if (w.size() < i + 3) {
        warn_(where + ": a module line is '+ [CONDITIONS] NAME VERSION PATH'; module skipped");
        return;
    }
    const std::string name = w[i], version = w[i + 1];
    std::string pathText = w[i + 2];
    for (size_t k = i + 3; k < w.size(); ++k) pathText += " " + w[k];  // a path with blanks
    static const std::regex versionForm("[0-9]+(\\.[0-9A-Za-z]+)*");
    if (!std::regex_match(version, versionForm)) {
        warn_(where + ": module " + name + ": bad version " + quoted(version) +
              " (numbers separated by dots, such as 3.0); module skipped");
        return;
    }
    if (!applies) return;  // for another platform, version or locale
    std::string path;
    if (!expandLine(pathText, path, where)) return;
    path = joinPath(fileDir, path);
    if (!isDir(path)) {
        warn_(where + ": module " + name + " " + version + ": folder '" + path +
              "' does not exist; module skipped");
        return;
    }
    for (const Module& m : modules)
        if (m.name == name) {
            warn_(where + ": module " + name + " " + version + " is already defined by " + m.definition +
                  " (version " + m.version + "); skipped");
            return;
        }
    skipped_ = false;
    current_.name = name;
    current_.version = version;
    current_.path = canonical(path);
    current_.definition = file;
}

void Reader::body(const std::string& line, const std::string& where) {
    static const std::regex variable("([A-Za-z_][A-Za-z0-9_]*)[ \t]*(\\+?)(:?)=[ \t]*(.*)");
    static const std::regex folder("(\\[r\\][ \t]*)?(plug-ins|scripts|icons|presets):[ \t]*(.*)");
    Module& m = current_;
    std::smatch s;
    if (std::regex_match(line, s, variable)) {
        const std::string name = s[1];
        const bool append = s[2].length() > 0, relative = s[3].length() > 0;
        std::string piece = s[4];
        if (relative) piece = joinPath(m.path, piece);
        std::vector<std::string>* list = name == "MAYA_PLUG_IN_PATH"  ? &m.plugInPath
                                         : name == "MAYA_SCRIPT_PATH" ? &m.scriptPath
                                         : name == "XBMLANGPATH"      ? &m.iconPath
                                                                      : nullptr;
        if (list) {
            // The host's paths: a module adds folders to them, it takes none away.
            std::string value;
            if (!expandLine(piece, value, where)) return;
            for (std::string f : splitSearchPath(value)) {
                if (list == &m.iconPath && f.size() > 3 && f.compare(f.size() - 3, 3, "/%B") == 0)
                    f.resize(f.size() - 3);
                if (!isDir(f)) {
                    warn_(where + ": " + name + ": folder '" + f + "' does not exist; skipped");
                    continue;
                }
                addOnce(*list, canonical(f));
            }
            return;
        }
        const bool had = raw_.count(name) > 0;
        const std::string before = had ? raw_[name] : std::string();
        std::string now = piece;
        if (append) {
            const char* e = env_ && !had ? env_(name) : nullptr;
            std::string old = had ? before : (e ? e : "");
            if (!old.empty()) now = old + ":" + piece;
        }
        raw_[name] = now;
        std::string value;
        if (!expandLine(now, value, where, name)) {
            if (had)
                raw_[name] = before;
            else
                raw_.erase(name);
            return;
        }
        for (auto& v : m.variables)
            if (v.first == name) {
                v.second = value;
                return;
            }
        m.variables.emplace_back(name, value);
        return;
    }
    if (std::regex_match(line, s, folder)) {
        const bool recursive = s[1].length() > 0;
        const std::string kind = s[2];
        std::string target;
        if (!expandLine(s[3], target, where)) return;
        target = joinPath(m.path, target);
        if (!isDir(target)) {
            warn_(where + ": " + kind + ": folder '" + target + "' does not exist; skipped");
            return;
        }
        target = canonical(target);
        if (kind == "plug-ins") {
            plugInsMoved_ = true;
            addTree(m.plugInPath, target, recursive);
        } else if (kind == "scripts") {
            scriptsMoved_ = true;
            addTree(m.scriptPath, target, recursive);
        } else if (kind == "icons") {
            iconsMoved_ = true;
            addTree(m.iconPath, target, recursive);
        }
        return;  // presets: this host has none
    }
    warn_(where + ": cannot read " + quoted(line) + "; skipped");
}

void Reader::readFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream buf;
    buf << in.rdbuf();
    std::string text = buf.str();
    if (!in && !in.eof()) {
        warn_(file + ": cannot be read; skipped");
        return;
    }
    if (text.find('\0') != std::string::npos) {
        warn_(file + ": not a text file; skipped");
        return;
    }
    if (text.find('\r') != std::string::npos) {
        warn_(file + ": has Windows line ends (CR LF); read as plain line ends");
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    }
    const std::string dir = file.substr(0, file.rfind('/'));
    const bool modFile = file.size() > 4 && file.compare(file.size() - 4, 4, ".mod") == 0;
    std::istringstream lines(text);
    std::string raw;
    int n = 0;
    while (std::getline(lines, raw)) {
        ++n;
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#' || line.rfind("//", 0) == 0) continue;
        const std::string where = file + " line " + std::to_string(n);
        if ((line[0] == '+' || line[0] == '-') &&
            (line.size() == 1 || std::isspace(static_cast<unsigned char>(line[1])))) {
            finish();
            header(words(line), where, dir, file);
            continue;
        }
        if (!open_) {
            // Any file is read; only a .mod file's stray text is worth a word.
            if (!modFile) continue;
            warn_(where + ": " + quoted(line) + " is not inside a module (no '+' line before it); skipped");
            continue;
        }
        if (!skipped_) body(line, where);
    }
    finish();
}

}  // namespace

std::vector<std::string> splitSearchPath(const std::string& list) {
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(list);
    while (std::getline(in, item, ':'))
        if (!item.empty()) out.push_back(item);
    return out;
}

std::vector<Module> readModules(const std::vector<std::string>& folders, const ModuleHost& host,
                                const std::function<const char*(const std::string&)>& env,
                                const std::function<void(const std::string&)>& warn) {
    Reader reader(host, env, warn);
    std::vector<std::string> seen;
    for (std::string folder : folders) {
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (std::find(seen.begin(), seen.end(), folder) != seen.end()) continue;
        seen.push_back(folder);
        DIR* d = ::opendir(folder.c_str());
        if (!d) continue;  // a folder that is not there adds nothing, as on the other paths
        std::vector<std::string> files;
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n.empty() || n[0] == '.') continue;
            if (isFile(folder + "/" + n)) files.push_back(n);
        }
        ::closedir(d);
        std::sort(files.begin(), files.end());
        for (const auto& f : files) reader.readFile(folder + "/" + f);
    }
    return std::move(reader.modules);
}

}  // namespace rdhost
