// Commands that shape keys already set: keyTangent, setInfinity, cutKey,
// copyKey, pasteKey. Targets and key sets: keys_select.h.
//
//   keyTangent [-inTangentType T] [-outTangentType T] [-inAngle A] [-outAngle A]
//              [-inWeight W] [-outWeight W] [-ix X] [-iy Y] [-ox X] [-oy Y]
//              [-lock B] [-weightLock B] [-weightedTangents B] [KEYSET] TARGET...
//       Sets the tangents of the keys in the set. An angle (degrees), a
//       weight, or the tangent's x and y (as the curve stores a fixed
//       tangent) makes that tangent fixed; with the tangents locked a turn of
//       one side turns both. Weights need a weighted curve. Result: the
//       number of curves changed.
//   keyTangent -query -FLAG [KEYSET] TARGET...   one entry per key (per curve
//       for -weightedTangents): type names, angles, weights, x and y, booleans.
//   keyTangent -global [-inTangentType T] [-outTangentType T]
//              [-weightedTangents B]
//       The defaults for new keys and curves (-query -global -FLAG reads them).
//   setInfinity [-preInfinite T] [-postInfinite T] TARGET...
//       constant, linear, cycle, cycleRelative or oscillate.
//   setInfinity -query -preInfinite | -postInfinite TARGET...
//   cutKey [-clear] [KEYSET] TARGET...
//       Removes the keys of the set, keeping them on the key clipboard unless
//       -clear. A curve left without keys is deleted. Result: curves cut.
//   copyKey [KEYSET] TARGET...   the keys of the set onto the clipboard.
//   pasteKey [-time T] [-option insert|replace|merge] [-timeOffset T]
//            [-valueOffset V] TARGET...
//       Pastes the clipboard's curves, one onto each target (a single curve
//       onto every target), its first key at T (default: the current time).
//       insert moves the target's later keys past the pasted ones, replace
//       removes the target's keys in the pasted range first, merge keeps them
//       except where a pasted key lands on the same time.
#include "command/keys_select.h"
#include "command/registry.h"

#include <algorithm>
#include <cmath>

namespace rdhost::keys {

namespace {

using cmd::Invocation;
using cmd::Value;

constexpr double kPi = 3.14159265358979323846;

// ---- keyTangent

const char* const kTangentQueries[] = {"inTangentType",
                                       "outTangentType",
                                       "inAngle",
                                       "outAngle",
                                       "inWeight",
                                       "outWeight",
                                       "ix",
                                       "iy",
                                       "ox",
                                       "oy",
                                       "lock",
                                       "weightLock",
                                       "weightedTangents"};

std::string tangentQueryFlag(const Invocation& inv) {
    std::string asked;
    int count = 0;
    for (const char* f : kTangentQueries)
        if (inv.has(f)) asked = f, ++count;
    if (count != 1)
        inv.fail(
            "-query takes one of -inTangentType, -outTangentType, -inAngle, -outAngle, -inWeight, "
            "-outWeight, -ix, -iy, -ox, -oy, -weightedTangents, -lock, -weightLock");
    return asked;
}

Value keyTangentGlobal(Invocation& inv) {
    Scene& scene = inv.scene;
    if (inv.has("query")) {
        const std::string asked = tangentQueryFlag(inv);
        if (asked == "inTangentType" || asked == "outTangentType")
            return Value::strings({tangentName(defaultTangent(scene, asked == "inTangentType"))});
        if (asked == "weightedTangents") return Value::boolean(defaultWeighted(scene));
        inv.fail("-global -query takes -inTangentType, -outTangentType or -weightedTangents");
    }
    int in = defaultTangent(scene, true), out = defaultTangent(scene, false);
    if (inv.has("inTangentType")) in = tangentFlag(inv, "inTangentType");
    if (inv.has("outTangentType")) out = tangentFlag(inv, "outTangentType");
    for (int t : {in, out})
        if (t == kFixed)
            inv.fail("fixed is no default tangent type: a new key has no tangent of its own to keep");
    setDefaultTangent(scene, true, in);
    setDefaultTangent(scene, false, out);
    if (inv.has("weightedTangents")) setDefaultWeighted(scene, inv.flagNumber("weightedTangents") != 0.0);
    return Value::none();
}

Value keyTangentQuery(Invocation& inv, const std::vector<CurveTarget>& curves, const KeySet& set) {
    const std::string asked = tangentQueryFlag(inv);
    std::vector<Value> list;
    for (const CurveTarget& t : curves) {
        const Curve& c = curveOf(t.curve);
        if (asked == "weightedTangents") {
            list.push_back(Value::boolean(c.weighted));
            continue;
        }
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            if (!set.contains(c.keys, i)) continue;
            const Key& k = c.keys[i];
            const bool in = asked.rfind("in", 0) == 0;
            if (asked == "inTangentType" || asked == "outTangentType") {
                list.push_back(Value::string(tangentName(in ? k.inType : k.outType)));
            } else if (asked == "lock" || asked == "weightLock") {
                list.push_back(Value::boolean(asked == "lock" ? k.tangentsLocked : k.weightsLocked));
            } else {
                const bool side = asked.size() == 2 ? asked[0] == 'i' : in;
                double x, y;
                tangentVector(c, i, side, x, y);
                list.push_back(Value::real(asked.size() == 2 ? (asked[1] == 'x' ? x : y)
                                           : asked.find("Angle") != std::string::npos
                                               ? std::atan2(y, x) * 180.0 / kPi
                                               : std::hypot(x, y)));
            }
        }
    }
    return Value::of(std::move(list));
}

Value keyTangentEdit(Invocation& inv, const std::vector<CurveTarget>& curves, const KeySet& set) {
    auto number = [&](const char* flag) {
        const double v = inv.flagNumber(flag);
        if (!std::isfinite(v)) inv.fail("-" + std::string(flag) + " must be a finite number");
        return v;
    };
    const int inType = inv.has("inTangentType") ? tangentFlag(inv, "inTangentType") : 0;
    const int outType = inv.has("outTangentType") ? tangentFlag(inv, "outTangentType") : 0;
    const bool inAngle = inv.has("inAngle"), outAngle = inv.has("outAngle");
    const bool inWeight = inv.has("inWeight"), outWeight = inv.has("outWeight");
    const double ia = inAngle ? number("inAngle") : 0, oa = outAngle ? number("outAngle") : 0;
    const double iw = inWeight ? number("inWeight") : 0, ow = outWeight ? number("outWeight") : 0;
    for (double a : {ia, oa})
        if (std::fabs(a) >= 90.0)
            inv.fail("a tangent angle lies between -90 and 90 degrees (got " + Value::real(a).text() + ")");
    for (double w : {iw, ow})
        if (w < 0.0) inv.fail("a tangent weight cannot be negative (got " + Value::real(w).text() + ")");
    // A side's tangent as x (seconds, or the driver's units) and y: either
    // part alone keeps the other as it is.
    const bool inXY = inv.has("ix") || inv.has("iy"), outXY = inv.has("ox") || inv.has("oy");
    if ((inXY && (inAngle || inWeight)) || (outXY && (outAngle || outWeight)))
        inv.fail("give a tangent's angle and weight or its x and y (-ix -iy -ox -oy), not both");
    for (const char* f : {"ix", "ox"})
        if (inv.has(f) && !(number(f) > 0.0))
            inv.fail("a tangent's x must be above 0: it points forward (got " +
                     Value::real(number(f)).text() + ")");
    for (const char* f : {"iy", "oy"})
        if (inv.has(f)) number(f);
    const bool weightedGiven = inv.has("weightedTangents");
    const bool weighted = weightedGiven && inv.flagNumber("weightedTangents") != 0.0;
    if (!inType && !outType && !inAngle && !outAngle && !inWeight && !outWeight && !inXY && !outXY &&
        !weightedGiven && !inv.has("lock") && !inv.has("weightLock"))
        inv.fail(
            "nothing to change: give a tangent type, angle, weight, x and y, -lock, -weightLock or "
            "-weightedTangents");
    if (inWeight || outWeight)
        for (const CurveTarget& t : curves)
            if (!(weightedGiven ? weighted : curveOf(t.curve).weighted))
                inv.fail("'" + t.curve->name + "' is not weighted; weights need -weightedTangents true");

    long long changed = 0;
    for (const CurveTarget& t : curves) {
        Node* node = t.curve;
        const std::vector<Key> before = curveKeys(node);
        const bool wasWeighted = curveOf(node).weighted;
        if (weightedGiven) setWeighted(node, weighted);
        std::vector<Key>& keys = curveKeys(node);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!set.contains(keys, i)) continue;
            Key& k = keys[i];
            if (inv.has("lock")) k.tangentsLocked = inv.flagNumber("lock") != 0.0;
            if (inv.has("weightLock")) k.weightsLocked = inv.flagNumber("weightLock") != 0.0;
            if (inType) k.inType = inType;
            if (outType) k.outType = outType;
            // Angles and weights act on the tangents as they now are; the
            // side given becomes fixed (a locked key turns both sides).
            // So do x and y: a side given them takes their angle and (on a
            // weighted curve) length.
            const Curve& now = curveOf(node);
            double inA = ia, outA = oa, inLength = -1.0, outLength = -1.0;
            for (bool in : {true, false}) {
                if (!(in ? inXY : outXY)) continue;
                double x, y;
                tangentVector(now, i, in, x, y);
                if (inv.has(in ? "ix" : "ox")) x = number(in ? "ix" : "ox");
                if (inv.has(in ? "iy" : "oy")) y = number(in ? "iy" : "oy");
                (in ? inA : outA) = std::atan2(y, x) * 180.0 / kPi;
                (in ? inLength : outLength) = std::hypot(x, y);
            }
            const bool inTurns = inAngle || inXY, outTurns = outAngle || outXY;
            const bool turnIn = inTurns || (outTurns && k.tangentsLocked);
            const bool turnOut = outTurns || (inTurns && k.tangentsLocked);
            if (!inTurns) inA = outA;
            if (!outTurns) outA = inA;
            for (bool in : {true, false}) {
                const bool turn = in ? turnIn : turnOut;
                const bool weigh = in ? inWeight : outWeight;
                if (!turn && !weigh) continue;
                const Curve& c = curveOf(node);
                double x, y;
                tangentVector(c, i, in, x, y);
                double angle = std::atan2(y, x), length = c.weighted ? std::hypot(x, y) : 1.0;
                if (turn) angle = (in ? inA : outA) * kPi / 180.0;
                if (weigh) length = in ? iw : ow;
                if (c.weighted && (in ? inLength : outLength) >= 0.0) length = in ? inLength : outLength;
                (in ? k.inType : k.outType) = kFixed;
                (in ? k.inX : k.outX) = length * std::cos(angle);
                (in ? k.inY : k.outY) = length * std::sin(angle);
            }
        }
        if (keys != before || wasWeighted != curveOf(node).weighted) {
            keysChanged(node);
            ++changed;
        }
    }
    return Value::integer(changed);
}

Value keyTangent(Invocation& inv) {
    if (inv.has("global")) return keyTangentGlobal(inv);
    const KeySet set = keySet(inv);
    std::vector<CurveTarget> curves = curveTargets(inv);
    if (inv.has("query")) return keyTangentQuery(inv, curves, set);
    return keyTangentEdit(inv, curves, set);
}

// ---- setInfinity

int infinityFlag(const Invocation& inv, const char* flag) {
    const std::string name = inv.flagText(flag);
    const int type = infinityFromName(name);
    if (type < 0)
        inv.fail("-" + std::string(flag) + " '" + clipInput(name) +
                 "' is not an infinity (constant, linear, cycle, cycleRelative, oscillate)");
    return type;
}

Value setInfinity(Invocation& inv) {
    const bool pre = inv.has("preInfinite"), post = inv.has("postInfinite");
    std::vector<CurveTarget> curves = curveTargets(inv);
    if (inv.has("query")) {
        if (pre == post) inv.fail("-query takes -preInfinite or -postInfinite");
        std::vector<std::string> names;
        for (const CurveTarget& t : curves) {
            const Curve& c = curveOf(t.curve);
            names.push_back(infinityName(pre ? c.pre : c.post));
        }
        return Value::strings(names);
    }
    if (!pre && !post) inv.fail("give -preInfinite and/or -postInfinite");
    const int preType = pre ? infinityFlag(inv, "preInfinite") : 0;
    const int postType = post ? infinityFlag(inv, "postInfinite") : 0;
    for (const CurveTarget& t : curves) {
        if (pre) t.curve->setNumber(t.curve->type->findAttr("preInfinity")->index, preType);
        if (post) t.curve->setNumber(t.curve->type->findAttr("postInfinity")->index, postType);
    }
    return Value::none();
}

// ---- the key clipboard

struct ClipCurve {
    std::vector<Key> keys;  // values in the UI units of `angle`'s choice below
    bool angle = false;     // values were degrees
    bool weighted = false;
};

struct KeyClipboard : SceneExtension {
    std::vector<ClipCurve> curves;
};

ClipCurve clip(const CurveTarget& t, const KeySet& set) {
    const Curve& c = curveOf(t.curve);
    ClipCurve out;
    out.angle = t.unit->kind == AttrKind::Angle;
    out.weighted = c.weighted;
    for (std::size_t i = 0; i < c.keys.size(); ++i)
        if (set.contains(c.keys, i)) {
            Key k = c.keys[i];
            k.value = cmd::toUi(*t.unit, k.value);
            out.keys.push_back(k);
        }
    return out;
}

Value copyKey(Invocation& inv) {
    const KeySet set = keySet(inv);
    std::vector<ClipCurve> copied;
    for (const CurveTarget& t : curveTargets(inv)) {
        ClipCurve c = clip(t, set);
        if (!c.keys.empty()) copied.push_back(std::move(c));
    }
    if (copied.empty()) {
        inv.scene.warn(inv.command + ": no keys to copy; the clipboard is unchanged");
        return Value::integer(0);
    }
    KeyClipboard& board = inv.scene.extension<KeyClipboard>();
    board.curves = std::move(copied);
    return Value::integer(static_cast<long long>(board.curves.size()));
}

Value cutKey(Invocation& inv) {
    const KeySet set = keySet(inv);
    std::vector<CurveTarget> curves = curveTargets(inv);
    std::vector<ClipCurve> copied;
    std::vector<Node*> emptied;
    std::vector<std::pair<PlugRef, double>> held;
    long long cut = 0;
    for (const CurveTarget& t : curves) {
        ClipCurve c = clip(t, set);
        if (c.keys.empty()) continue;
        copied.push_back(c);
        std::vector<Key>& keys = curveKeys(t.curve);
        // What the curve gives now, kept by what it drives should it go.
        for (const PlugRef& d : t.curve->destinations(outputSlot(t.curve)))
            held.emplace_back(d, d.node->getNumber(d.attr));
        std::vector<Key> kept;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (!set.contains(keys, i)) kept.push_back(keys[i]);
        keys.swap(kept);
        keysChanged(t.curve);
        if (keys.empty()) emptied.push_back(t.curve);
        ++cut;
    }
    if (!inv.has("clear") && !copied.empty()) inv.scene.extension<KeyClipboard>().curves = std::move(copied);
    // A curve without keys animates nothing: the host deletes it, and what it
    // drove keeps the value it has now.
    for (Node* c : emptied) {
        for (const PlugRef& d : std::vector<PlugRef>(c->destinations(outputSlot(c)))) {
            inv.scene.disconnect(PlugRef{c, outputSlot(c)}, d);
            for (const auto& [plug, value] : held)
                if (plug == d) d.node->setNumber(d.attr, value);
        }
        inv.scene.deleteNode(c);
    }
    return Value::integer(cut);
}

Value pasteKey(Invocation& inv) {
    const KeyClipboard* board = inv.scene.findExtension<KeyClipboard>();
    if (!board || board->curves.empty()) inv.fail("the key clipboard is empty: copyKey or cutKey first");
    const std::string option = inv.has("option") ? inv.flagText("option") : "insert";
    if (option != "insert" && option != "replace" && option != "merge")
        inv.fail("-option '" + clipInput(option) + "' is none of insert, replace, merge");
    double start = inv.scene.currentTime();
    if (inv.has("time")) {
        const KeySet at = keySet(inv);
        start = at.times.front().first;
        if (!std::isfinite(start)) inv.fail("-time needs a start time");
    }
    const double timeOffset = inv.has("timeOffset") ? inv.flagNumber("timeOffset") : 0.0;
    const double valueOffset = inv.has("valueOffset") ? inv.flagNumber("valueOffset") : 0.0;
    if (!std::isfinite(timeOffset) || !std::isfinite(valueOffset)) inv.fail("offsets must be finite numbers");
    start += timeOffset;

    // The targets are plugs: keyed or not yet.
    cmd::Invocation plugsOnly{inv.scene, inv.command,  inv.flags,       inv.args,
                              inv.line,  inv.topLevel, inv.fileContext, inv.out};
    std::vector<cmd::PlugPath> targets = keyTargets(plugsOnly, false);
    if (targets.empty()) inv.fail("nothing to paste onto");
    const std::size_t n = board->curves.size();
    if (n != 1 && n != targets.size())
        inv.fail("the clipboard holds " + std::to_string(n) + " curves for " +
                 std::to_string(targets.size()) + " targets; give one target per curve");
    for (const cmd::PlugPath& p : targets) {
        if (curveTypeFor(*p.attr).empty() || !p.attr->writable)
            inv.fail("'" + p.name() + "' cannot be keyed");
        std::string by;
        if (cmd::drivenByNonAnim(p, &by))
            inv.fail("'" + p.name() + "' is driven by '" + by + "'; it cannot be keyed");
        const std::string locked = cmd::lockProblem(p);
        if (!locked.empty()) inv.fail(locked + "; it cannot be keyed");
        if (Node* c = drivingCurve(p.ref()); c && isDrivenCurve(c))
            inv.fail("'" + p.name() + "' is driven by the driven key curve '" + c->name +
                     "'; it cannot be keyed");
    }

    long long pasted = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const cmd::PlugPath& p = targets[i];
        const ClipCurve& src = board->curves[n == 1 ? 0 : i];
        const double shift = start - src.keys.front().time;
        const double span = src.keys.back().time - src.keys.front().time;
        Node* curve = drivingCurve(p.ref());
        if (!curve) {
            curve = makeCurve(inv.scene, p, false);
            try {
                inv.scene.connect(PlugRef{curve, outputSlot(curve)}, p.ref(), false);
            } catch (...) {
                inv.scene.deleteNode(curve);
                throw;
            }
            if (src.weighted) setWeighted(curve, true);
        }
        std::vector<Key>& keys = curveKeys(curve);
        std::vector<Key> result;
        for (const Key& k : keys) {
            if (option == "replace" && k.time >= start && k.time <= start + span) continue;
            Key kept = k;
            if (option == "insert" && k.time >= start) kept.time += span;
            result.push_back(kept);
        }
        for (Key k : src.keys) {
            k.time += shift;
            k.value = cmd::fromUi(*p.attr, k.value + valueOffset);
            auto same =
                std::find_if(result.begin(), result.end(), [&](const Key& o) { return o.time == k.time; });
            if (same != result.end())
                *same = k;
            else
                result.push_back(k);
        }
        std::sort(result.begin(), result.end(), [](const Key& a, const Key& b) { return a.time < b.time; });
        keys.swap(result);
        keysChanged(curve);
        ++pasted;
    }
    return Value::integer(pasted);
}

std::vector<cmd::FlagSpec> withKeySet(std::vector<cmd::FlagSpec> flags) {
    for (cmd::FlagSpec& f : keySetFlags()) flags.push_back(f);
    return flags;
}

const cmd::Registrar regs[] = {
    cmd::Registrar{
        {"keyTangent",
         withKeySet({{"query", "q", 0},
                     {"edit", "e", 0},
                     {"global", "g", 0},
                     {"inTangentType", "itt", 1},
                     {"outTangentType", "ott", 1},
                     {"inAngle", "ia", 1},
                     {"outAngle", "oa", 1},
                     {"inWeight", "iw", 1},
                     {"outWeight", "ow", 1},
                     {"ix", "ix", 1},
                     {"iy", "iy", 1},
                     {"ox", "ox", 1},
                     {"oy", "oy", 1},
                     {"weightedTangents", "wt", 1},
                     {"lock", "l", 1},
                     {"weightLock", "wl", 1}}),
         keyTangent,
         "keyTangent [-inTangentType T] [-outTangentType T] [-inAngle A] [-outAngle A] [-inWeight W] "
         "[-outWeight W] [-ix X] [-iy Y] [-ox X] [-oy Y] [-lock B] [-weightLock B] [-weightedTangents B] "
         "[-time \"a:b\"] [-index "
         "\"i:j\"] TARGET... | keyTangent -query -FLAG ... | keyTangent -global [-inTangentType T] "
         "[-outTangentType T] [-weightedTangents B]",
         "the number of curves changed; query: one entry per key"}},
    cmd::Registrar{
        {"setInfinity",
         {{"query", "q", 0},
          {"edit", "e", 0},
          {"preInfinite", "pri", 1},
          {"postInfinite", "poi", 1},
          {"attribute", "at", 1, true}},
         setInfinity,
         "setInfinity [-preInfinite T] [-postInfinite T] [-attribute A] TARGET... | setInfinity -query "
         "-preInfinite | -postInfinite TARGET...",
         "none; query: one infinity name per curve"}},
    cmd::Registrar{{"cutKey", withKeySet({{"clear", "cl", 0}}), cutKey,
                    "cutKey [-clear] [-time \"a:b\"] [-index \"i:j\"] [-attribute A] TARGET...",
                    "the number of curves cut"}},
    cmd::Registrar{{"copyKey", withKeySet({}), copyKey,
                    "copyKey [-time \"a:b\"] [-index \"i:j\"] [-attribute A] TARGET...",
                    "the number of curves copied"}},
    cmd::Registrar{{"pasteKey",
                    {{"time", "t", 1},
                     {"option", "o", 1},
                     {"timeOffset", "to", 1},
                     {"valueOffset", "vo", 1},
                     {"attribute", "at", 1}},
                    pasteKey,
                    "pasteKey [-time T] [-option insert|replace|merge] [-timeOffset T] [-valueOffset V] "
                    "[-attribute A] TARGET...",
                    "the number of curves pasted onto"}},
};

}  // namespace

}  // namespace rdhost::keys
