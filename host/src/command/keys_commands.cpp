// Key commands: setKeyframe, keyframe (query and edit), currentTime,
// playbackOptions, evalDeferred. Targets and key sets: keys_select.h.
//
//   setKeyframe [-time T] [-value V] [-attribute A]... [-breakdown B]
//               [-inTangentType T] [-outTangentType T] [TARGET...]
//       Keys at the current time with the attribute's current value unless
//       -time / -value say otherwise. The first key of an attribute creates
//       the curve NODE_LONGNAME (animCurveTL/TA/TU/TT by the attribute's unit,
//       unweighted) connected to it; later keys go into that curve, a key at
//       an existing time replaces its value. New keys take the default tangent
//       types (keyTangent -global; auto unless changed).
//       Result: the number of keys set.
//   keyframe -query [-keyframeCount | -timeChange | -valueChange | -indexValue
//            | -breakdown | -name] [KEYSET] TARGET...
//       Count (the default), times, values (UI units), indices or breakdown
//       states (-breakdown) of the keys, or the names of the curves.
//   keyframe [-edit] [-timeChange T] [-valueChange V] [-relative | -absolute]
//            [-breakdown B] [KEYSET] TARGET...
//       Moves the keys of the set to time T (or by T with -relative) and sets
//       their values to V (or adds V). A breakdown key between two regular
//       keys keeps its share of the time between them when they move. Keys
//       may not land on each other's times. Result: the number of curves
//       changed.
//   currentTime [-edit] T      sets the time; keyed attributes follow. Result T.
//   currentTime -query         the current time.
//   playbackOptions [-minTime T] [-maxTime T] [-animationStartTime T]
//                   [-animationEndTime T] | -query -FLAG
//       The playback range (1 to 120 in a new scene, animation 1 to 200),
//       saved with the scene as the host saves it.
//   evalDeferred [-evaluateNext] "command"
//       queues the command for the idle step after the current top-level
//       command (-evaluateNext: ahead of the queue).
#include "command/keys_select.h"
#include "command/registry.h"

#include <algorithm>
#include <cmath>

namespace rdhost::keys {

namespace {

using cmd::Invocation;
using cmd::PlugPath;
using cmd::Value;

// Makes the curve that keys `p` and connects it; the caller has validated.
Node* newCurve(Scene& scene, const PlugPath& p, bool driven) {
    Node* curve =
        scene.createNode(curveTypeFor(*p.attr, driven), p.node->name + "_" + p.attr->longName, nullptr, true);
    // New curves are unweighted unless the preferences say otherwise.
    curve->setNumber(curve->type->findAttr("weightedTangents")->index, defaultWeighted(scene) ? 1.0 : 0.0);
    return curve;
}

Value setKeyframe(Invocation& inv) {
    std::vector<PlugPath> targets = keyTargets(inv, false);
    const double time = inv.has("time") ? inv.flagNumber("time") : inv.scene.currentTime();
    if (!std::isfinite(time)) inv.fail("the time must be a finite number");
    if (inv.has("value")) inv.flagNumber("value");  // a number, or the usual error
    const std::vector<cmd::Arg>* valueFlag = inv.flag("value");
    const int inType =
        inv.has("inTangentType") ? tangentFlag(inv, "inTangentType") : defaultTangent(inv.scene, true);
    const int outType =
        inv.has("outTangentType") ? tangentFlag(inv, "outTangentType") : defaultTangent(inv.scene, false);
    const bool breakdown = inv.has("breakdown") && inv.flagNumber("breakdown") != 0.0;

    // Validate everything before the first key is set. A key value meets the
    // checks and limits setAttr applies, so that whatever is keyed can be saved
    // and read back.
    std::vector<double> values;
    std::vector<std::string> warnings;
    for (const PlugPath& p : targets) {
        if (p.node->unknownTypeName.size())
            inv.fail("'" + p.node->name + "' is a placeholder of an unknown type; it cannot be keyed");
        if (curveTypeFor(*p.attr).empty())
            inv.fail("'" + p.name() + "' cannot be keyed (it is " + cmd::attrTypeName(*p.attr) + ")");
        if (!p.attr->writable) inv.fail("'" + p.name() + "' is not writable; it cannot be keyed");
        const std::string locked = cmd::lockProblem(p);
        if (!locked.empty()) inv.fail(locked + "; it cannot be keyed");
        std::string by;
        if (cmd::drivenByNonAnim(p, &by))
            inv.fail("'" + p.name() + "' is driven by '" + by + "'; it cannot be keyed");
        if (Node* c = drivingCurve(p.ref()); c && isDrivenCurve(c))
            inv.fail("'" + p.name() + "' is driven by the driven key curve '" + c->name +
                     "'; it cannot be keyed");
        if (valueFlag) {
            values.push_back(cmd::checkedNumber(p, valueFlag->front(), inv.command, warnings));
        } else {
            values.push_back(inv.scene.pull(p.ref()));
            if (!std::isfinite(values.back()))
                inv.fail("'" + p.name() + "' holds a value that is not a finite number; it cannot be keyed");
        }
    }
    for (const std::string& w : warnings) inv.scene.warn(w);

    long long set = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const PlugPath& p = targets[i];
        PlugRef ref = p.ref();
        Node* curve = drivingCurve(ref);
        if (!curve) {
            curve = newCurve(inv.scene, p, false);
            try {
                inv.scene.connect(PlugRef{curve, outputSlot(curve)}, ref, false);
            } catch (...) {
                inv.scene.deleteNode(curve);
                throw;
            }
        }
        auto& keys = curveKeys(curve);
        setKey(keys, time, values[i], inType);
        for (Key& k : keys)
            if (k.time == time) {
                k.inType = inType;
                k.outType = outType;
                k.breakdown = breakdown;
            }
        keysChanged(curve);
        ++set;
    }
    return Value::integer(set);
}

Value keyframeQuery(Invocation& inv, const std::vector<CurveTarget>& curves, const KeySet& set) {
    int modes = inv.has("keyframeCount") + inv.has("timeChange") + inv.has("valueChange") +
                inv.has("indexValue") + inv.has("name") + inv.has("breakdown");
    if (modes > 1)
        inv.fail("give one of -keyframeCount, -timeChange, -valueChange, -indexValue, -breakdown or -name");
    if (inv.has("name")) {
        std::vector<std::string> names;
        for (const CurveTarget& t : curves) names.push_back(t.curve->name);
        return Value::strings(names);
    }
    if (inv.has("timeChange") || inv.has("valueChange") || inv.has("indexValue") || inv.has("breakdown")) {
        std::vector<Value> list;
        for (const CurveTarget& t : curves) {
            const auto& keys = curveKeys(t.curve);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (!set.contains(keys, i)) continue;
                if (inv.has("timeChange"))
                    list.push_back(Value::real(keys[i].time));
                else if (inv.has("valueChange"))
                    list.push_back(cmd::numberValue(*t.unit, keys[i].value));
                else if (inv.has("breakdown"))
                    list.push_back(Value::boolean(keys[i].breakdown));
                else
                    list.push_back(Value::integer(static_cast<long long>(i)));
            }
        }
        return Value::of(std::move(list));
    }
    long long count = 0;
    for (const CurveTarget& t : curves) {
        const auto& keys = curveKeys(t.curve);
        for (std::size_t i = 0; i < keys.size(); ++i) count += set.contains(keys, i);
    }
    return Value::integer(count);
}

Value keyframeEdit(Invocation& inv, const std::vector<CurveTarget>& curves, const KeySet& set) {
    if (inv.has("relative") && inv.has("absolute")) inv.fail("give -relative or -absolute, not both");
    const bool relative = inv.has("relative");
    const bool moveTime = inv.has("timeChange"), moveValue = inv.has("valueChange");
    const double dt = moveTime ? inv.flagNumber("timeChange") : 0.0;
    const double dv = moveValue ? inv.flagNumber("valueChange") : 0.0;
    if (!std::isfinite(dt) || !std::isfinite(dv)) inv.fail("times and values must be finite numbers");
    const bool breakdown = inv.has("breakdown");
    if (!moveTime && !moveValue && !breakdown)
        inv.fail("nothing to change: give -timeChange, -valueChange or -breakdown");

    // Work on copies; store them once every curve is known to be sound.
    std::vector<std::vector<Key>> edited;
    for (const CurveTarget& t : curves) {
        std::vector<Key> keys = curveKeys(t.curve);
        std::vector<Key> after = keys;
        std::vector<char> moved(keys.size(), 0);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!set.contains(keys, i)) continue;
            Key& k = after[i];
            moved[i] = 1;
            if (moveTime) k.time = relative ? k.time + dt : dt;
            if (moveValue) {
                // Values in the attribute's UI units; a relative change of an
                // angle is a change in degrees.
                const double ui = relative ? cmd::toUi(*t.unit, k.value) + dv : dv;
                k.value = cmd::fromUi(*t.unit, ui);
            }
            if (!std::isfinite(k.time) || !std::isfinite(k.value))
                inv.fail("a key of '" + t.curve->name + "' would not be a finite number");
            if (breakdown) k.breakdown = inv.flagNumber("breakdown") != 0.0;
        }
        // A breakdown between two keys that are not keeps its place in time
        // between them, in proportion, when either of them moves.
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (moved[i] || !keys[i].breakdown) continue;
            std::size_t a = i, b = i;
            while (a > 0 && keys[a].breakdown) --a;
            while (b + 1 < keys.size() && keys[b].breakdown) ++b;
            if (keys[a].breakdown || keys[b].breakdown || !(moved[a] || moved[b])) continue;
            const double share = (keys[i].time - keys[a].time) / (keys[b].time - keys[a].time);
            after[i].time = after[a].time + share * (after[b].time - after[a].time);
            moved[i] = 1;
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!moved[i]) continue;
            bool clash = false;
            for (std::size_t j = 0; j < keys.size(); ++j)
                clash = clash || (j != i && after[j].time == after[i].time);
            if (clash)
                inv.fail("keys of '" + t.curve->name + "' would share the time " +
                         Value::real(after[i].time).text() + "; nothing moved");
        }
        std::vector<Key> kept = std::move(after);
        std::stable_sort(kept.begin(), kept.end(),
                         [](const Key& a, const Key& b) { return a.time < b.time; });
        edited.push_back(std::move(kept));
    }
    long long changed = 0;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        auto& keys = curveKeys(curves[i].curve);
        if (keys == edited[i]) continue;
        keys = std::move(edited[i]);
        keysChanged(curves[i].curve);
        ++changed;
    }
    return Value::integer(changed);
}

Value keyframe(Invocation& inv) {
    if (inv.has("query") && inv.has("edit")) inv.fail("give -query or -edit, not both");
    const KeySet set = keySet(inv);
    std::vector<CurveTarget> curves = curveTargets(inv);
    if (inv.has("query")) return keyframeQuery(inv, curves, set);
    return keyframeEdit(inv, curves, set);
}

Value currentTime(Invocation& inv) {
    if (inv.has("query")) {
        if (!inv.args.empty()) inv.fail("-query takes no time");
        return Value::real(inv.scene.currentTime());
    }
    if (inv.args.size() != 1 || !inv.args[0].isNumber()) inv.fail("expects one time (a frame number)");
    const double t = inv.args[0].number;
    if (!std::isfinite(t)) inv.fail("the time must be a finite number");
    inv.scene.setCurrentTime(t);
    timeChanged(inv.scene);
    return Value::real(t);
}

Value playbackOptions(Invocation& inv) {
    PlaybackRange& r = playbackRange(inv.scene);
    struct Field {
        const char* flag;
        double PlaybackRange::*member;
    };
    static const Field fields[] = {{"minTime", &PlaybackRange::min},
                                   {"maxTime", &PlaybackRange::max},
                                   {"animationStartTime", &PlaybackRange::start},
                                   {"animationEndTime", &PlaybackRange::end}};
    if (inv.has("query")) {
        int asked = 0;
        Value v;
        for (const Field& f : fields)
            if (inv.has(f.flag)) ++asked, v = Value::real(r.*(f.member));
        if (asked != 1)
            inv.fail("-query takes one of -minTime, -maxTime, -animationStartTime, -animationEndTime");
        return v;
    }
    PlaybackRange next = r;
    for (const Field& f : fields)
        if (inv.has(f.flag)) {
            const double t = inv.flagNumber(f.flag);
            if (!std::isfinite(t)) inv.fail("-" + std::string(f.flag) + " must be a finite number");
            next.*(f.member) = t;
        }
    // The animation range holds the playback range, as the host widens it.
    if (inv.has("minTime") && !inv.has("animationStartTime")) next.start = std::min(next.start, next.min);
    if (inv.has("maxTime") && !inv.has("animationEndTime")) next.end = std::max(next.end, next.max);
    if (next.min > next.max) inv.fail("the start of the playback range is after its end");
    if (next.start > next.end) inv.fail("the start of the animation range is after its end");
    if (next.min < next.start || next.max > next.end)
        inv.fail("the playback range must lie within the animation range");
    r = next;
    return Value::none();
}

Value evalDeferred(Invocation& inv) {
    if (inv.args.size() != 1) inv.fail("expects one command string");
    if (inv.has("evaluateNext"))
        inv.scene.deferCommandFirst(inv.args[0].text);
    else
        inv.scene.deferCommand(inv.args[0].text);
    return Value::none();
}

std::vector<cmd::FlagSpec> withKeySet(std::vector<cmd::FlagSpec> flags) {
    for (cmd::FlagSpec& f : keySetFlags()) flags.push_back(f);
    return flags;
}

const cmd::Registrar regs[] = {
    cmd::Registrar{{"setKeyframe",
                    {{"time", "t", 1},
                     {"value", "v", 1},
                     {"attribute", "at", 1},
                     {"breakdown", "bd", 1},
                     {"inTangentType", "itt", 1},
                     {"outTangentType", "ott", 1}},
                    setKeyframe,
                    "setKeyframe [-time T] [-value V] [-attribute A]... [-breakdown B] [-inTangentType T] "
                    "[-outTangentType T] [node.attr | node]...",
                    "the number of keys set"}},
    cmd::Registrar{
        {"keyframe",
         withKeySet({{"query", "q", 0},
                     {"edit", "e", 0},
                     {"keyframeCount", "kc", 0},
                     {"timeChange", "tc", 1},
                     {"valueChange", "vc", 1},
                     {"indexValue", "iv", 0},
                     {"name", "n", 0},
                     {"relative", "r", 0},
                     {"absolute", "a", 0},
                     {"breakdown", "bd", 1}}),
         keyframe,
         "keyframe -query [-keyframeCount | -timeChange | -valueChange | -indexValue | -name] "
         "[-time \"a:b\"] [-index \"i:j\"] [-attribute A] TARGET... | keyframe [-edit] [-timeChange T] "
         "[-valueChange V] [-relative | -absolute] [-breakdown B] [-time \"a:b\"] [-index \"i:j\"] "
         "TARGET...",
         "the key count, times, values, indices or curve names; edit: the number of curves changed"}},
    cmd::Registrar{{"currentTime",
                    {{"query", "q", 0}, {"edit", "e", 0}, {"update", "u", 1}},
                    currentTime,
                    "currentTime [-edit] [-update BOOL] T | currentTime -query",
                    "the current time"}},
    cmd::Registrar{
        {"playbackOptions",
         {{"query", "q", 0},
          {"edit", "e", 0},
          {"minTime", "min", 1},
          {"maxTime", "max", 1},
          {"animationStartTime", "ast", 1},
          {"animationEndTime", "aet", 1}},
         playbackOptions,
         "playbackOptions [-minTime T] [-maxTime T] [-animationStartTime T] [-animationEndTime T] | "
         "playbackOptions -query -minTime | -maxTime | -animationStartTime | -animationEndTime",
         "query: the time asked for"}},
    cmd::Registrar{{"evalDeferred",
                    {{"evaluateNext", "en", 0}, {"lowestPriority", "low", 0}},
                    evalDeferred,
                    "evalDeferred [-evaluateNext] [-lowestPriority] \"COMMAND\"",
                    "none"}},
};

}  // namespace

Node* makeCurve(Scene& scene, const cmd::PlugPath& p, bool driven) { return newCurve(scene, p, driven); }

}  // namespace rdhost::keys
