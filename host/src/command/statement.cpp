#include "command/statement.h"

namespace rdhost::cmd {

void bind(const Statement& st, const CommandDef& def, Invocation& inv) {
    inv.command = def.name;
    inv.line = st.line;
    inv.flags.clear();
    inv.args.clear();
    // In query mode flags name what to query and take no arguments, as in MEL.
    bool query = false;
    for (const auto& f : def.flags)
        if (f.longName == "query")
            for (const Item& it : st.items)
                query = query || (it.isFlag && (it.flag == f.longName || it.flag == f.shortName));
    for (size_t i = 0; i < st.items.size(); ++i) {
        const Item& it = st.items[i];
        if (!it.isFlag) {
            inv.args.push_back(it.arg);
            continue;
        }
        const FlagSpec* fs = nullptr;
        for (const auto& f : def.flags)
            if (f.longName == it.flag || f.shortName == it.flag) fs = &f;
        if (!fs) throw HostError(def.name + ": unknown flag -" + clipInput(it.flag));
        FlagUse use;
        use.name = fs->longName;
        for (int k = 0; k < (query && !fs->queryArgs ? 0 : fs->argCount); ++k) {
            if (i + 1 >= st.items.size() || st.items[i + 1].isFlag)
                throw HostError(def.name + ": flag -" + clipInput(it.flag) + " needs " +
                                std::to_string(fs->argCount) +
                                (fs->argCount == 1 ? " argument" : " arguments"));
            use.args.push_back(st.items[++i].arg);
        }
        inv.flags.push_back(std::move(use));
    }
}

}  // namespace rdhost::cmd
