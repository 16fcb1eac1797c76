// tarnel-monkey: random sessions of player actions replayed through
// tarnel-replay, hunting for crashes, sanitizer reports, hangs and boxes
// whose text changes although no action touched them.
//
//   tarnel-monkey --replay PATH [--sessions N] [--seed S] [--actions N] [--faults DIR]
//
// It opens the windows itself (offscreen) only to learn every named control
// of both windows and its kind. Each session is a fixed-seed list of actions;
// before the first action and after each one every text box (and combo box)
// of the open windows is read. After the replay the readings are compared
// with the session's model: an action may change only the box it addressed
// and the boxes the window rewrites for that kind of action (the allow-lists
// below). A typed text must read back as typed, line breaks aside.
// Prints the figures at the end; exits 1 when any session found a fault.

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "ui/widgets/controls.h"
#include "ui/widgets/ui_services.h"
#include "ui/windows/main_window.h"
#include "ui/windows/two_star_window.h"

using namespace tarnel;

namespace {

enum class Kind { LineText, MultiText, Check, Toggle, Command, Combo, List };

struct Control {
    bool twoStar = false;  // on F2d, else on Fmain
    QString name;          // full object name, "C_danzu[4]"
    QString base;          // "C_danzu"
    int index = -1;        // -1 for a single control
    Kind kind = Kind::Command;
    QStringList items;     // combo items
    bool editable = false; // combo takes typed text
};

bool isTextBox(const Control& c) { return c.kind == Kind::LineText || c.kind == Kind::MultiText; }
// The controls whose shown text the monkey watches.
bool isWatched(const Control& c) { return isTextBox(c) || c.kind == Kind::Combo; }

// Every named control of a window, found as the replay tool finds them.
void collect(QWidget* window, bool twoStar, std::vector<Control>& out) {
    static const QRegularExpression nameRe(QStringLiteral("^([A-Za-z][A-Za-z0-9_]*)(?:\\[(\\d+)\\])?$"));
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        const QRegularExpressionMatch m = nameRe.match(w->objectName());
        if (!m.hasMatch() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        Control c;
        c.twoStar = twoStar;
        c.name = w->objectName();
        c.base = m.captured(1);
        c.index = m.captured(2).isEmpty() ? -1 : m.captured(2).toInt();
        if (qobject_cast<QPlainTextEdit*>(w))
            c.kind = Kind::MultiText;
        else if (qobject_cast<QLineEdit*>(w))
            c.kind = Kind::LineText;
        else if (qobject_cast<QCheckBox*>(w))
            c.kind = Kind::Check;
        else if (qobject_cast<ToggleButton*>(w))
            c.kind = Kind::Toggle;
        else if (qobject_cast<QPushButton*>(w))
            c.kind = Kind::Command;
        else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            c.kind = Kind::Combo;
            c.editable = combo->isEditable();
            for (int i = 0; i < combo->count(); ++i) c.items << combo->itemText(i);
        } else if (qobject_cast<QListWidget*>(w))
            c.kind = Kind::List;
        else
            continue;
        out.push_back(c);
    }
}

// ---- JSON text -------------------------------------------------------------------

// A JSON string literal that keeps every UTF-16 unit: lone surrogates and
// control characters go as \u escapes, everything else as UTF-8.
QByteArray jsonLiteral(const QString& s) {
    QByteArray out;
    out.reserve(s.size() + 16);
    out += '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            out += s.mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(u) || u < 0x20) {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
        } else if (u == '"' || u == '\\') {
            out += '\\';
            out += char(u);
        } else {
            out += QString(QChar(u)).toUtf8();
        }
    }
    out += '"';
    return out;
}

// A text as UTF-8 carries it: a lone surrogate becomes a replacement character.
QString asCarried(const QString& text) {
    return QString::fromUtf8((QLatin1Char('x') + text).toUtf8()).mid(1);  // keeps a leading BOM
}

// ---- random texts ------------------------------------------------------------------

class Texts {
public:
    explicit Texts(std::mt19937_64& rng) : rng_(rng) {}
    int pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng_)); }
    bool chance(int percent) { return pick(100) < percent; }

    QString numbers(int count, int digits) {
        static const char* const seps[] = {" ", " ", ",", "\r\n", "\n", "\r", "，", "、", "\t", ";", "  "};
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i) out += QString::fromUtf8(seps[pick(11)]);
            for (int d = 0; d < digits; ++d) out += QChar('0' + pick(10));
        }
        return out;
    }

    QString hostilePiece() {
        switch (pick(22)) {
            case 0: return QStringLiteral("😀🎲🀄");
            case 1: return QString::fromUtf8("\xF0\xA0\x80\x80\xF0\xAA\x9A\xB2");  // CJK extension B
            case 2: return QString(QChar(0));
            case 3: {
                QString c;
                for (int i = 0; i < 6; ++i) c += QChar(char16_t(1 + pick(31)));
                return c + QChar(0x7F);
            }
            case 4: return QString(QChar(char16_t(0xD800 + pick(0x400))));  // lone high surrogate
            case 5: return QString(QChar(char16_t(0xDC00 + pick(0x400))));  // lone low surrogate
            case 6: return QStringLiteral("1e400");
            case 7: return QString(400, QChar('9'));  // far beyond a double
            case 8: return QStringLiteral("-99999999999999999999999999");
            case 9: return QStringLiteral("NaN inf -inf 0x1F -0 +5");
            case 10: return QString::fromUtf8("１２３ ４５６");  // full-width digits
            case 11: return QString::fromUtf8("١٢٣ ۴۵۶ १२३");  // other scripts' digits
            case 12: return QString(QChar(0x202E)) + QStringLiteral("321") + QChar(0x202C);
            case 13: return QString(QChar(0xFEFF)) + QChar(0x200B) + QChar(0x00A0);
            case 14: return QString(QChar(0x2028)) + QStringLiteral("12") + QChar(0x2029);
            case 15: return QString::fromUtf8("e\xCC\x81\xCC\x81\xCC\x81");  // stacked combining marks
            case 16: return QString::fromUtf8("👨‍👩‍👧‍👦");
            case 17: return QString(QChar(0xFFFF)) + QChar(0xFFFE) + QChar(0xFDD0);
            case 18: return QString(pick(20000) + 1, QChar('0' + pick(10)));  // one long digit run
            case 19: return QStringLiteral("\\\"{}[]");
            case 20: return QStringLiteral("   \t  ");
            default: return numbers(1 + pick(30), 1 + pick(4));
        }
    }

    // A text a player might type or paste, often with something hostile mixed in.
    QString text() {
        if (chance(8)) return QString();
        if (chance(35)) return numbers(1 + pick(60), pick(5) == 0 ? 2 : 3);
        QString out;
        const int pieces = 1 + pick(6);
        for (int i = 0; i < pieces; ++i) {
            if (i) out += QLatin1Char(' ');
            out += chance(50) ? hostilePiece() : numbers(1 + pick(10), 1 + pick(3));
        }
        return out;
    }

    // About a megabyte: a realistic paste of numbers, or the same with odd characters.
    QString megabyte() {
        QString out;
        out.reserve(1 << 20);
        const bool odd = chance(40);
        while (out.size() < (900 << 10)) {
            if (odd && chance(3))
                out += hostilePiece().left(200);
            else
                out += numbers(20, 3) + QStringLiteral("\r\n");
        }
        return out;
    }

private:
    std::mt19937_64& rng_;
};

// ---- one session -------------------------------------------------------------------

struct Action {
    QString what;                // for the fault report
    std::set<int> allowed;       // boxes that may change
    int typedBox = -1;           // box whose text must read back as typed
    QString typed;
};

struct Snapshot {
    std::vector<std::pair<int, int>> reads;  // (box, step)
};

struct SavedScheme {
    QString path;
    bool twoStar = false;
};

class Session {
public:
    Session(const std::vector<Control>& controls, quint64 seed, int actions, const QString& dir)
        : controls_(controls), rng_(seed), texts_(rng_), dir_(dir), actionCount_(actions) {}

    void generate();
    QByteArray scenario() const;
    // Checks the replay's output; returns the faults found.
    QStringList check(const QByteArray& out) const;
    qint64 inputBytes() const { return inputBytes_; }
    int actions() const { return int(actions_.size()); }
    bool endsWithBadStep() const { return badStep_; }

private:
    int step(const QByteArray& json) {
        steps_ << json;
        return int(steps_.size()) - 1;
    }
    QByteArray address(const Control& c) const;
    void snapshot();
    void act();
    std::set<int> boxesWhere(const std::function<bool(const Control&)>& pred) const;
    int pickControl(const std::function<bool(const Control&)>& pred);
    void writeHostileSchemes();

    const std::vector<Control>& controls_;
    std::mt19937_64 rng_;
    Texts texts_;
    QString dir_;
    int actionCount_;
    QList<QByteArray> steps_;
    std::vector<Snapshot> snapshots_;
    std::vector<Action> actions_;
    bool twoStarOpen_ = false;
    bool megabyteUsed_ = false;
    bool badStep_ = false;
    qint64 inputBytes_ = 0;
    std::vector<SavedScheme> saved_;
    QStringList refused_;  // scheme files that must be refused
    QStringList accepted_; // odd scheme files that must open
};

QByteArray Session::address(const Control& c) const {
    QByteArray out = "\"window\":\"" + QByteArray(c.twoStar ? "F2d" : "Fmain") + "\",\"control\":\"" + c.base.toLatin1() + '"';
    if (c.index >= 0) out += ",\"index\":" + QByteArray::number(c.index);
    return out;
}

void Session::snapshot() {
    Snapshot s;
    for (int i = 0; i < int(controls_.size()); ++i) {
        const Control& c = controls_[std::size_t(i)];
        if (!isWatched(c) || (c.twoStar && !twoStarOpen_)) continue;
        s.reads.emplace_back(i, step("{\"do\":\"read\"," + address(c) + '}'));
    }
    snapshots_.push_back(std::move(s));
}

std::set<int> Session::boxesWhere(const std::function<bool(const Control&)>& pred) const {
    std::set<int> out;
    for (int i = 0; i < int(controls_.size()); ++i)
        if (isWatched(controls_[std::size_t(i)]) && pred(controls_[std::size_t(i)])) out.insert(i);
    return out;
}

int Session::pickControl(const std::function<bool(const Control&)>& pred) {
    std::vector<int> candidates;
    for (int i = 0; i < int(controls_.size()); ++i) {
        const Control& c = controls_[std::size_t(i)];
        if ((!c.twoStar || twoStarOpen_) && pred(c)) candidates.push_back(i);
    }
    if (candidates.empty()) return -1;
    return candidates[std::size_t(texts_.pick(int(candidates.size())))];
}

// What the windows rewrite besides the addressed control.
namespace rewrites {

bool isMainResult(const Control& c) {
    return !c.twoStar && (c.name == QLatin1String("T_dadi_output") || c.name == QLatin1String("T_dadi_zhushu"));
}
// A run writes the result, the count and the cleaned pair texts.
bool mainRun(const Control& c) {
    return isMainResult(c) || (!c.twoStar && (c.base == QLatin1String("T_lm_he") || c.base == QLatin1String("T_main_dw2m")));
}
// Outputs that are no condition: the result, its count, the set tool's result and count.
bool mainOutput(const Control& c) {
    return isMainResult(c) || c.name == QLatin1String("T_jiaoji_zhushu") || c.name == QLatin1String("T_dd_jiaoji[2]");
}
// Every condition of the main window (清空所有条件, opening a scheme).
bool mainCondition(const Control& c) { return !c.twoStar && !mainOutput(c); }
bool twoStarCondition(const Control& c) {
    return c.twoStar && (c.name == QLatin1String("T_2d_dd[0]") || c.name == QLatin1String("T_2d_dd[1]"));
}

}  // namespace rewrites

void Session::writeHostileSchemes() {
    const auto write = [this](const QString& name, const QByteArray& bytes, bool opens) {
        QFile f(dir_ + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        (opens ? accepted_ : refused_) << f.fileName();
        inputBytes_ += bytes.size();
    };
    QByteArray noise;
    for (int i = 0; i < 3000; ++i) noise += char(texts_.pick(256));
    write(QStringLiteral("noise.tarnel"), noise, false);
    write(QStringLiteral("truncated.tarnel"),
          "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"T_jichu_dadi\":\"123 4", false);
    write(QStringLiteral("wrong-kind.tarnel"),
          "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"T_jichu_dadi\":1e400}}", false);
    write(QStringLiteral("check-two.tarnel"),
          "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"Check_hewei_sha[3]\":2}}", false);
    write(QStringLiteral("future.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":99999999999999999999}", false);
    write(QStringLiteral("deep.tarnel"), "{\"format\":\"tarnel-scheme\",\"version\":1,\"x\":" + QByteArray(20000, '[') +
                                              QByteArray(20000, ']') + "}", false);
    // Well-formed, with odd texts (NULs and control characters too) and keys
    // this program does not know. JSON has no lone surrogates.
    const auto text = [this] { return asCarried(texts_.text()); };
    QByteArray odd = "{\"format\":\"tarnel-scheme\",\"version\":1,\"Fmain\":{\"T_jichu_dadi\":" +
                     jsonLiteral(text()) + ",\"T_main_shazhixuan\":" + jsonLiteral(text()) +
                     ",\"T_hezhi_fanwei_1\":" + jsonLiteral(asCarried(texts_.hostilePiece())) +
                     ",\"C_unknown[99]\":true,\"T_dadi_output\":\"999\"},\"F2d\":{\"T_2d_dd[0]\":" +
                     jsonLiteral(text()) + ",\"Future\":[1,2,3]},\"Extra\":{}}\n";
    write(QStringLiteral("odd.tarnel"), odd, true);
}

void Session::act() {
    Action a;
    const int roll = texts_.pick(100);
    if (roll < 30) {  // type into a text box (or an editable combo)
        const int i = pickControl([](const Control& c) { return isTextBox(c) || (c.kind == Kind::Combo && c.editable); });
        const Control& c = controls_[std::size_t(i)];
        QString text;
        if (!megabyteUsed_ && isTextBox(c) && texts_.chance(4)) {
            text = texts_.megabyte();
            megabyteUsed_ = true;
        } else {
            text = texts_.text();
        }
        inputBytes_ += text.toUtf8().size();
        step("{\"do\":\"type\"," + address(c) + ",\"text\":" + jsonLiteral(text) + '}');
        a.what = QStringLiteral("type %1 chars into %2").arg(text.size()).arg(c.name);
        a.allowed.insert(i);
        if (isTextBox(c)) {
            a.typedBox = i;
            a.typed = text;
        }
    } else if (roll < 62) {  // click: buttons, check boxes, grid buttons, tab buttons
        const int i = pickControl([](const Control& c) {
            return c.kind == Kind::Check || c.kind == Kind::Toggle || c.kind == Kind::Command;
        });
        const Control& c = controls_[std::size_t(i)];
        step("{\"do\":\"click\"," + address(c) + '}');
        a.what = QStringLiteral("click %1").arg(c.name);
        if (c.twoStar) {
            if (c.name == QLatin1String("C_2d_ks[0]") || c.name == QLatin1String("C_2d_ks[1]"))
                a.allowed = boxesWhere([](const Control& x) {
                    return x.name == QLatin1String("T_2d_dd[0]") || x.name == QLatin1String("T_2d_dd[2]");
                });
            else if (c.name == QLatin1String("C_2d_ks[3]"))
                a.allowed = boxesWhere([](const Control& x) { return x.base == QLatin1String("T_2d_dd"); });
        } else if (c.name == QLatin1String("C_guolv_ks") || c.name == QLatin1String("C_zhi_zu")) {
            a.allowed = boxesWhere(rewrites::mainRun);
        } else if (c.name == QLatin1String("C_all_cls")) {
            a.allowed = boxesWhere(rewrites::mainCondition);
        } else if (c.base == QLatin1String("C_jiaoji_xuanzhe")) {
            a.allowed = boxesWhere([](const Control& x) {
                return x.name == QLatin1String("T_dd_jiaoji[2]") || x.name == QLatin1String("T_jiaoji_zhushu");
            });
        } else if (c.name == QLatin1String("C_jiaoji_cls[0]") || c.name == QLatin1String("C_jiaoji_cls[1]")) {
            const QString box = QStringLiteral("T_dd_jiaoji[%1]").arg(c.index);
            a.allowed = boxesWhere([box](const Control& x) { return x.name == box; });
        } else if (c.name == QLatin1String("C_op_2d")) {
            twoStarOpen_ = true;
        }
    } else if (roll < 67) {  // set a check box
        const int i = pickControl([](const Control& c) { return c.kind == Kind::Check; });
        const int v = texts_.pick(2);
        step("{\"do\":\"check\"," + address(controls_[std::size_t(i)]) + ",\"value\":" + QByteArray::number(v) + '}');
        a.what = QStringLiteral("check %1 = %2").arg(controls_[std::size_t(i)].name).arg(v);
    } else if (roll < 74) {  // double-click a text box (most clear themselves)
        const int i = pickControl(isTextBox);
        step("{\"do\":\"dblclick\"," + address(controls_[std::size_t(i)]) + '}');
        a.what = QStringLiteral("double-click %1").arg(controls_[std::size_t(i)].name);
        a.allowed.insert(i);
    } else if (roll < 78) {  // choose a combo item
        const int i = pickControl([](const Control& c) { return c.kind == Kind::Combo && !c.items.isEmpty(); });
        const Control& c = controls_[std::size_t(i)];
        const QString item = c.items[texts_.pick(int(c.items.size()))];
        step("{\"do\":\"choose\"," + address(c) + ",\"text\":" + jsonLiteral(item) + '}');
        a.what = QStringLiteral("choose %1 in %2").arg(item, c.name);
        a.allowed.insert(i);
    } else if (roll < 81) {  // rapid opening and closing of the two-star window
        const int times = 1 + texts_.pick(5);
        for (int k = 0; k < times; ++k) {
            if (twoStarOpen_) step("{\"do\":\"close\",\"window\":\"F2d\"}");
            step("{\"do\":\"click\",\"window\":\"Fmain\",\"control\":\"C_op_2d\"}");
            twoStarOpen_ = true;
        }
        if (texts_.chance(40)) {
            step("{\"do\":\"close\",\"window\":\"F2d\"}");
            twoStarOpen_ = false;
        }
        a.what = QStringLiteral("open and close the two-star window %1 times").arg(times);
        a.allowed = boxesWhere([](const Control& x) { return x.twoStar; });  // a fresh window
    } else if (roll < 85) {  // save the conditions as they are
        SavedScheme s{QStringLiteral("%1/saved-%2.tarnel").arg(dir_).arg(saved_.size()), twoStarOpen_};
        step("{\"do\":\"save_scheme\",\"path\":" + jsonLiteral(s.path) + '}');
        saved_.push_back(s);
        a.what = QStringLiteral("save %1").arg(s.path);
    } else if (roll < 90) {  // open a saved, an odd or a broken scheme
        const int which = texts_.pick(3);
        if (which == 0 && !saved_.empty()) {
            const SavedScheme& s = saved_[std::size_t(texts_.pick(int(saved_.size())))];
            step("{\"do\":\"open_scheme\",\"path\":" + jsonLiteral(s.path) + '}');
            a.what = QStringLiteral("open %1").arg(s.path);
            a.allowed = boxesWhere(rewrites::mainCondition);
            if (s.twoStar) {  // opens the two-star window when it is closed
                a.allowed.merge(boxesWhere(rewrites::twoStarCondition));
                twoStarOpen_ = true;
            }
        } else if (which == 1) {
            const QString& path = accepted_[0];
            step("{\"do\":\"open_scheme\",\"path\":" + jsonLiteral(path) + '}');
            a.what = QStringLiteral("open %1").arg(path);
            a.allowed = boxesWhere(rewrites::mainCondition);
            a.allowed.merge(boxesWhere(rewrites::twoStarCondition));
            twoStarOpen_ = true;
        } else {
            const QString& path = refused_[texts_.pick(int(refused_.size()))];
            step("{\"do\":\"open_scheme\",\"path\":" + jsonLiteral(path) + '}');
            a.what = QStringLiteral("open the broken %1").arg(path);
        }
        step("{\"do\":\"read\",\"what\":\"messages\"}");
    } else if (roll < 94) {  // reads of every other kind
        static const char* const whats[] = {"color", "enabled", "visible", "focus", "title", "notices", "clipboard", "messages"};
        const char* what = whats[texts_.pick(8)];
        const int i = pickControl([](const Control&) { return true; });
        step("{\"do\":\"read\"," + address(controls_[std::size_t(i)]) + ",\"what\":\"" + what + "\"}");
        a.what = QStringLiteral("read %1 of %2").arg(QLatin1String(what), controls_[std::size_t(i)].name);
    } else if (roll < 97) {  // the pointer over a control or the bare window
        const int i = pickControl([](const Control&) { return true; });
        if (texts_.chance(50))
            step("{\"do\":\"hover\"," + address(controls_[std::size_t(i)]) + '}');
        else
            step(QByteArray("{\"do\":\"hover_window\",\"window\":\"") + (twoStarOpen_ && texts_.chance(50) ? "F2d" : "Fmain") + "\"}");
        a.what = QStringLiteral("hover");
    } else if (roll < 99) {  // time passes: timers fire
        const int ms = texts_.pick(150);
        step("{\"do\":\"wait\",\"ms\":" + QByteArray::number(ms) + '}');
        a.what = QStringLiteral("wait %1 ms").arg(ms);
    } else {  // list selection
        const int i = pickControl([](const Control& c) { return c.kind == Kind::List; });
        step("{\"do\":\"select\"," + address(controls_[std::size_t(i)]) + ",\"rows\":[]}");
        a.what = QStringLiteral("select nothing in %1").arg(controls_[std::size_t(i)].name);
    }
    actions_.push_back(a);
}

void Session::generate() {
    writeHostileSchemes();
    snapshot();
    for (int k = 0; k < actionCount_; ++k) {
        act();
        snapshot();
    }
    // Now and then a deliberately bad step closes the session: it must stop the
    // replay with status 2 and one line on standard error.
    if (texts_.chance(10)) {
        static const char* const bad[] = {
            "{\"do\":\"type\",\"control\":\"C_guolv_ks\",\"text\":\"1\"}",
            "{\"do\":\"click\",\"control\":\"C_danzu\",\"index\":4000}",
            "{\"do\":\"select\",\"control\":\"L_wz_pp\",\"rows\":[99999]}",
            "{\"do\":\"fly\"}",
            "{\"do\":\"read\",\"window\":\"F9\",\"what\":\"title\"}",
            "{\"do\":\"check\",\"control\":\"Check_fs_ip\"}",
        };
        step(bad[texts_.pick(6)]);
        badStep_ = true;
    }
}

QByteArray Session::scenario() const {
    QByteArray out = "{\"steps\":[\n";
    for (int i = 0; i < steps_.size(); ++i) out += steps_[i] + (i + 1 < steps_.size() ? ",\n" : "\n");
    return out + "]}\n";
}

// The text a box shows after `typed` was pasted into it.
QString shownAfterTyping(const Control& c, const QString& typed) {
    QString shown = fromLineBreaks(typed);
    if (c.kind == Kind::LineText) {
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    } else {
        // A paragraph separator is a line break; the two noncharacters a text
        // document keeps for frame marks come back as typed.
        shown.replace(QChar(u'\u2029'), QLatin1Char('\n'));
        shown = toCrLf(shown);
    }
    return asCarried(shown);
}

QString clip(QString s) {
    if (s.size() > 60) s = s.left(60) + QStringLiteral("…(%1 chars)").arg(s.size());
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("v"), s}}).toJson(QJsonDocument::Compact));
}

QStringList Session::check(const QByteArray& out) const {
    QStringList faults;
    std::map<int, QString> values;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) continue;
        QJsonParseError error;
        // As the replay tool reads its input: a byte order mark opening a string would be dropped.
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(line).replace("\xEF\xBB\xBF", "\\ufeff"), &error);
        if (!doc.isObject()) {
            faults << QStringLiteral("unreadable output line: %1").arg(QString::fromUtf8(line.left(80)));
            continue;
        }
        values[doc.object().value(QLatin1String("step")).toInt()] = doc.object().value(QLatin1String("value")).toString();
    }
    std::vector<std::map<int, QString>> seen;
    for (const Snapshot& s : snapshots_) {
        std::map<int, QString> boxes;
        for (auto [box, stepIndex] : s.reads) {
            const auto found = values.find(stepIndex);
            if (found == values.end()) {
                faults << QStringLiteral("no output for read step %1").arg(stepIndex);
                return faults;
            }
            boxes[box] = found->second;
        }
        seen.push_back(std::move(boxes));
    }
    for (std::size_t k = 0; k < actions_.size(); ++k) {
        const Action& a = actions_[k];
        for (const auto& [box, before] : seen[k]) {
            const auto after = seen[k + 1].find(box);
            if (after == seen[k + 1].end() || after->second == before || a.allowed.count(box)) continue;
            faults << QStringLiteral("action %1 (%2) changed %3 from %4 to %5")
                          .arg(k).arg(a.what, controls_[std::size_t(box)].name, clip(before), clip(after->second));
        }
        if (a.typedBox >= 0) {
            const auto after = seen[k + 1].find(a.typedBox);
            const QString want = shownAfterTyping(controls_[std::size_t(a.typedBox)], a.typed);
            if (after != seen[k + 1].end() && after->second != want)
                faults << QStringLiteral("action %1 (%2): the box shows %3, typed %4")
                              .arg(k).arg(a.what, clip(after->second), clip(want));
        }
    }
    return faults;
}

QString option(const QStringList& args, const QString& name, const QString& fallback) {
    const int i = int(args.indexOf(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

}  // namespace

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = QCoreApplication::arguments();
    const QString replay = option(args, QStringLiteral("--replay"), QString());
    if (replay.isEmpty()) {
        std::fprintf(stderr, "usage: tarnel-monkey --replay PATH [--sessions N] [--seed S] [--actions N] [--faults DIR]\n");
        return 2;
    }
    const int sessions = option(args, QStringLiteral("--sessions"), QStringLiteral("20")).toInt();
    const quint64 firstSeed = option(args, QStringLiteral("--seed"), QStringLiteral("1")).toULongLong();
    const int actionsPerSession = option(args, QStringLiteral("--actions"), QStringLiteral("40")).toInt();
    const QString faultDir = option(args, QStringLiteral("--faults"), QDir::currentPath() + QStringLiteral("/monkey-faults"));

    std::vector<Control> controls;
    {
        RecordingUiServices services;
        MainWindow window(services);
        collect(&window, false, controls);
        collect(window.openTwoStar(), true, controls);
        window.twoStarWindow()->close();
    }
    // Every kind of action needs a control of its kind on the main window.
    for (Kind kind : {Kind::LineText, Kind::MultiText, Kind::Check, Kind::Toggle, Kind::Command, Kind::Combo, Kind::List})
        if (std::none_of(controls.begin(), controls.end(), [kind](const Control& c) { return !c.twoStar && c.kind == kind; })) {
            std::fprintf(stderr, "tarnel-monkey: the main window has no control of kind %d\n", int(kind));
            return 2;
        }

    QElapsedTimer clock;
    clock.start();
    qint64 inputBytes = 0;
    int actions = 0, faultySessions = 0;
    for (int n = 0; n < sessions; ++n) {
        const quint64 seed = firstSeed + quint64(n);
        QTemporaryDir dir;
        Session session(controls, seed, actionsPerSession, dir.path());
        session.generate();
        const QString scenarioPath = dir.filePath(QStringLiteral("session.json"));
        QFile f(scenarioPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(session.scenario()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(scenarioPath));
            return 2;
        }
        f.close();

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());  // remembered history and settings stay in the session
        for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) env.remove(QLatin1String(xdg));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:halt_on_error=1"));
        env.insert(QStringLiteral("UBSAN_OPTIONS"), QStringLiteral("print_stacktrace=1:halt_on_error=1"));
        run.setProcessEnvironment(env);
        run.start(replay, {scenarioPath});
        QStringList faults;
        if (!run.waitForStarted()) {
            faults << QStringLiteral("replay did not start: %1").arg(run.errorString());
        } else if (!run.waitForFinished(60000)) {
            run.kill();
            run.waitForFinished();
            faults << QStringLiteral("replay hung for 60 s");
        }
        const QByteArray out = run.readAllStandardOutput();
        const QByteArray err = run.readAllStandardError();
        if (faults.isEmpty()) {
            const int wantStatus = session.endsWithBadStep() ? 2 : 0;
            if (run.exitStatus() != QProcess::NormalExit)
                faults << QStringLiteral("replay crashed");
            else if (run.exitCode() != wantStatus)
                faults << QStringLiteral("exit status %1, expected %2").arg(run.exitCode()).arg(wantStatus);
            const int errLines = int(err.count('\n'));
            if (err.contains("Sanitizer") || err.contains("runtime error") || errLines != (session.endsWithBadStep() ? 1 : 0))
                faults << QStringLiteral("standard error: %1").arg(QString::fromUtf8(err.left(4000)));
            faults << session.check(out);
        }
        inputBytes += session.inputBytes();
        actions += session.actions();
        if (!faults.isEmpty()) {
            ++faultySessions;
            QDir().mkpath(faultDir);
            const QString kept = QStringLiteral("%1/seed-%2").arg(faultDir).arg(seed);
            QDir(kept).removeRecursively();
            if (!QDir().rename(dir.path(), kept)) QFile::copy(scenarioPath, kept + QStringLiteral(".json"));
            QFile o(kept + QStringLiteral(".out"));
            if (o.open(QIODevice::WriteOnly)) o.write(out + "\n--- stderr\n" + err);
            std::printf("seed %llu: %lld fault(s), kept in %s\n", static_cast<unsigned long long>(seed),
                        static_cast<long long>(faults.size()), qPrintable(kept));
            for (qsizetype i = 0; i < faults.size() && i < 10; ++i) std::printf("  %s\n", qPrintable(faults[i]));
            std::fflush(stdout);
        }
    }
    std::printf("monkey: %d sessions, %d actions, %lld bytes typed or opened, %.1f s, %d faulty sessions\n", sessions,
                actions, static_cast<long long>(inputBytes), double(clock.elapsed()) / 1000.0, faultySessions);
    return faultySessions ? 1 : 0;
}
