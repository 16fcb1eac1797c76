// tarnel-replay: opens the real windows, performs a JSON list of user
// actions on them and prints what it is asked to read, one JSON line per read.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "core/files/platform.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/ui_services.h"
#include "json_out.h"
#include "ui/windows/main_window.h"

using namespace tarnel;
using replay::jsonString;
using replay::jsonStringArray;

namespace {

struct StepError {
    QString reason;
};

[[noreturn]] void fail(const QString& reason) { throw StepError{reason}; }

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class Replayer {
public:
    Replayer(MainWindow& main, RecordingUiServices& services) : main_(&main), services_(services) {}

    void runStep(int index, const QJsonObject& step);

private:
    QWidget* window(const QJsonObject& step, QString* nameOut);
    QWidget* control(const QJsonObject& step);
    QString stringField(const QJsonObject& step, const char* key);
    QString readValue(const QJsonObject& step);
    static QString focusName(QWidget* window);

    QPointer<MainWindow> main_;
    RecordingUiServices& services_;
};

QString Replayer::stringField(const QJsonObject& step, const char* key) {
    const QJsonValue v = step.value(QLatin1String(key));
    if (v.isUndefined()) fail(QStringLiteral("missing field \"%1\"").arg(QLatin1String(key)));
    if (!v.isString()) fail(QStringLiteral("field \"%1\" must be a string").arg(QLatin1String(key)));
    return v.toString();
}

QWidget* Replayer::window(const QJsonObject& step, QString* nameOut) {
    QString name = QStringLiteral("Fmain");
    if (step.contains(QLatin1String("window"))) name = stringField(step, "window");
    if (nameOut) *nameOut = name;
    if (name == QLatin1String("Fmain")) {
        if (!main_ || main_->isHidden()) fail(QStringLiteral("window \"Fmain\" is not open"));
        return main_;
    }
    if (name == QLatin1String("F2d")) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && !w->isHidden()) return w;
        fail(QStringLiteral("window \"F2d\" is not open"));
    }
    fail(QStringLiteral("unknown window \"%1\"").arg(name));
}

QWidget* Replayer::control(const QJsonObject& step) {
    QString windowName;
    QWidget* w = window(step, &windowName);
    QString name = stringField(step, "control");
    const QJsonValue index = step.value(QLatin1String("index"));
    if (!index.isUndefined() && !index.isNull()) {
        if (!index.isDouble() || index.toDouble() != double(index.toInt()))
            fail(QStringLiteral("field \"index\" must be a whole number"));
        name = indexedName(name, index.toInt());
    }
    // Only the window's own controls: a window opened from it (the two-star
    // window over the main window) is addressed by its own name.
    for (QWidget* found : w->findChildren<QWidget*>(name))
        if (found->window() == w) return found;
    fail(QStringLiteral("no control \"%1\" on %2").arg(name, windowName));
}

QString kindOf(QWidget* w) { return QString::fromLatin1(w->metaObject()->className()); }

[[noreturn]] void misfit(const QString& action, QWidget* w) {
    fail(QStringLiteral("cannot %1 control \"%2\" (%3)").arg(action, w->objectName(), kindOf(w)));
}

QString Replayer::focusName(QWidget* window) {
    QWidget* f = window->focusWidget();
    while (f && f != window) {
        const QString name = f->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) return jsonString(name);
        f = f->parentWidget();
    }
    return QStringLiteral("null");
}

QString Replayer::readValue(const QJsonObject& step) {
    QString what = QStringLiteral("text");
    if (step.contains(QLatin1String("what"))) what = stringField(step, "what");

    if (what == QLatin1String("title")) {
        // As the title bar shows it: the "[*]" placeholder becomes "*" while
        // the window holds unsaved changes, and goes otherwise.
        QWidget* w = window(step, nullptr);
        QString title = w->windowTitle();
        title.replace(QLatin1String("[*]"), w->isWindowModified() ? QStringLiteral("*") : QString());
        return jsonString(title);
    }
    if (what == QLatin1String("messages")) {
        QStringList parts;
        for (const ShownMessage& m : services_.takeMessages())
            parts << QStringLiteral("{\"title\":%1,\"text\":%2}").arg(jsonString(m.title), jsonString(m.text));
        return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    if (what == QLatin1String("notices")) return jsonStringArray(services_.takeNotices());
    if (what == QLatin1String("clipboard")) {
        const QClipboard* cb = QGuiApplication::clipboard();
        return jsonString(cb ? cb->text() : QString());
    }
    if (what == QLatin1String("focus")) return focusName(window(step, nullptr));

    QWidget* c = control(step);
    if (what == QLatin1String("text")) {
        if (auto* m = qobject_cast<MultiLineBox*>(c)) return jsonString(m->text());
        if (auto* p = qobject_cast<QPlainTextEdit*>(c)) return jsonString(toCrLf(p->toPlainText()));
        if (auto* l = qobject_cast<LineBox*>(c)) return jsonString(l->text());
        if (auto* e = qobject_cast<QLineEdit*>(c)) return jsonString(e->text());
        if (auto* l = qobject_cast<QLabel*>(c)) return jsonString(l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(c)) return jsonString(b->text());
        if (auto* g = qobject_cast<QGroupBox*>(c)) return jsonString(g->title());
        if (auto* cb = qobject_cast<QComboBox*>(c)) return jsonString(cb->currentText());
        if (auto* list = qobject_cast<QListWidget*>(c)) {
            QStringList lines;
            for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
            return jsonString(lines.join(QLatin1String("\r\n")));
        }
        if (qobject_cast<QFrame*>(c)) return jsonString(QString());  // a borderless frame has no caption
        misfit(QStringLiteral("read the text of"), c);
    }
    if (what == QLatin1String("value")) {
        if (auto* check = qobject_cast<QCheckBox*>(c))
            return check->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
        misfit(QStringLiteral("read the value of"), c);
    }
    if (what == QLatin1String("color"))
        return jsonString(QStringLiteral("0x%1").arg(backColor(c), 6, 16, QLatin1Char('0')).toUpper().replace(
            QLatin1String("0X"), QLatin1String("0x")));
    if (what == QLatin1String("enabled")) return c->isEnabled() ? QStringLiteral("true") : QStringLiteral("false");
    if (what == QLatin1String("visible")) return c->isHidden() ? QStringLiteral("false") : QStringLiteral("true");
    if (what == QLatin1String("items")) {
        QStringList items;
        if (auto* cb = qobject_cast<QComboBox*>(c)) {
            for (int i = 0; i < cb->count(); ++i) items << cb->itemText(i);
        } else if (auto* list = qobject_cast<QListWidget*>(c)) {
            for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        } else {
            misfit(QStringLiteral("read the items of"), c);
        }
        return jsonStringArray(items);
    }
    if (what == QLatin1String("selected")) {
        auto* list = qobject_cast<QListWidget*>(c);
        if (!list) misfit(QStringLiteral("read the selection of"), c);
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected()) rows << QString::number(i);
        return QLatin1Char('[') + rows.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    fail(QStringLiteral("unknown read \"%1\"").arg(what));
}

void sendHover(QWidget* target, QPointF local) {
    const QPointF global = target->mapToGlobal(local);
    QEnterEvent enter(local, local, global);
    QCoreApplication::sendEvent(target, &enter);
    QMouseEvent move(QEvent::MouseMove, local, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

void Replayer::runStep(int index, const QJsonObject& step) {
    const QString action = stringField(step, "do");
    if (action == QLatin1String("click")) {
        QWidget* c = control(step);
        auto* b = qobject_cast<QAbstractButton*>(c);
        if (!b) misfit(QStringLiteral("click"), c);
        b->click();
    } else if (action == QLatin1String("dblclick")) {
        QWidget* c = control(step);
        if (auto* p = qobject_cast<QPlainTextEdit*>(c))
            QTest::mouseDClick(p->viewport(), Qt::LeftButton);
        else if (auto* l = qobject_cast<LineBox*>(c); l && l->holdsLongText())
            QTest::mouseDClick(l->longEditor()->viewport(), Qt::LeftButton);
        else if (qobject_cast<QLineEdit*>(c))
            QTest::mouseDClick(c, Qt::LeftButton);
        else
            misfit(QStringLiteral("double-click"), c);
    } else if (action == QLatin1String("type")) {
        QWidget* c = control(step);
        const QString text = stringField(step, "text");
        if (auto* m = qobject_cast<MultiLineBox*>(c))
            m->setText(text);
        else if (auto* p = qobject_cast<QPlainTextEdit*>(c))
            p->setPlainText(fromLineBreaks(text));
        else if (auto* l = qobject_cast<LineBox*>(c))
            l->setText(text);
        else if (auto* e = qobject_cast<QLineEdit*>(c))
            e->setText(text);
        else if (auto* cb = qobject_cast<QComboBox*>(c); cb && cb->isEditable())
            cb->setEditText(text);
        else
            misfit(QStringLiteral("type into"), c);
    } else if (action == QLatin1String("check")) {
        QWidget* c = control(step);
        auto* check = qobject_cast<QCheckBox*>(c);
        if (!check) misfit(QStringLiteral("check"), c);
        const QJsonValue v = step.value(QLatin1String("value"));
        if (v.isUndefined()) fail(QStringLiteral("missing field \"value\""));
        if (!v.isDouble() && !v.isBool()) fail(QStringLiteral("field \"value\" must be 0 or 1"));
        check->setChecked(v.isBool() ? v.toBool() : v.toDouble() != 0);
    } else if (action == QLatin1String("choose")) {
        QWidget* c = control(step);
        auto* cb = qobject_cast<QComboBox*>(c);
        if (!cb) misfit(QStringLiteral("choose in"), c);
        const QString text = stringField(step, "text");
        const int found = cb->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found >= 0)
            cb->setCurrentIndex(found);
        else if (cb->isEditable())
            cb->setEditText(text);
        else
            fail(QStringLiteral("combo \"%1\" has no item \"%2\"").arg(cb->objectName(), text));
    } else if (action == QLatin1String("select")) {
        QWidget* c = control(step);
        auto* list = qobject_cast<QListWidget*>(c);
        if (!list) misfit(QStringLiteral("select lines in"), c);
        const QJsonValue rows = step.value(QLatin1String("rows"));
        if (rows.isUndefined()) fail(QStringLiteral("missing field \"rows\""));
        if (!rows.isArray()) fail(QStringLiteral("field \"rows\" must be an array of line numbers"));
        QList<int> wanted;
        for (const QJsonValue& r : rows.toArray()) {
            if (!r.isDouble() || r.toDouble() != double(r.toInt()))
                fail(QStringLiteral("field \"rows\" must be an array of line numbers"));
            if (r.toInt() < 0 || r.toInt() >= list->count())
                fail(QStringLiteral("list \"%1\" has no line %2").arg(list->objectName()).arg(r.toInt()));
            wanted << r.toInt();
        }
        list->clearSelection();
        for (int r : wanted) list->item(r)->setSelected(true);
    } else if (action == QLatin1String("hover")) {
        QWidget* c = control(step);
        sendHover(c, QPointF(c->width() / 2.0, c->height() / 2.0));
    } else if (action == QLatin1String("hover_window")) {
        QWidget* w = window(step, nullptr);
        sendHover(w, QPointF(1, 1));
    } else if (action == QLatin1String("close")) {
        window(step, nullptr)->close();
    } else if (action == QLatin1String("wait")) {
        const QJsonValue ms = step.value(QLatin1String("ms"));
        if (ms.isUndefined()) fail(QStringLiteral("missing field \"ms\""));
        if (!ms.isDouble() || ms.toDouble() < 0) fail(QStringLiteral("field \"ms\" must be a number of milliseconds"));
        QEventLoop loop;
        QTimer::singleShot(int(qMin(ms.toDouble(), 3600000.0)), &loop, &QEventLoop::quit);
        loop.exec();
    } else if (action == QLatin1String("open_scheme") || action == QLatin1String("save_scheme")) {
        const QString path = stringField(step, "path");
        QString windowName;
        window(step, &windowName);
        if (windowName != QLatin1String("Fmain")) fail(QStringLiteral("schemes are opened and saved on Fmain"));
        services_.setNextPath(path);
        if (action == QLatin1String("open_scheme"))
            main_->openScheme();
        else
            main_->saveSchemeAs();
    } else if (action == QLatin1String("restore_last")) {
        QString windowName;
        window(step, &windowName);
        if (windowName != QLatin1String("Fmain")) fail(QStringLiteral("the last conditions are restored on Fmain"));
        // As the menu command: a disabled one does nothing.
        main_->restoreLastAction()->trigger();
    } else if (action == QLatin1String("read")) {
        const QString value = readValue(step);
        const QByteArray line =
            (QStringLiteral("{\"step\":%1,\"value\":").arg(index) + value + QStringLiteral("}\n")).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
    } else {
        fail(QStringLiteral("unknown action \"%1\"").arg(action));
    }
}

void errorLine(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// Standard error carries only the replay's own error line: the toolkit's
// diagnostics (platform plugin notes and the like) are dropped.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtCriticalMsg || type == QtFatalMsg) errorLine(msg);
}

}  // namespace

int main(int argc, char** argv) {
    useBinaryStandardStreams();  // the same bytes on every system: no CR added before LF
    qInstallMessageHandler(quietMessages);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnel-replay SCENARIO.json  (or - for standard input)\n");
        return 2;
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    QStandardPaths::setTestModeEnabled(true);  // a replay never touches the player's settings
#ifdef Q_OS_WIN
    // Windows keeps settings in the registry, where test mode does not reach:
    // a replay keeps them in a file of the test-mode folder, as elsewhere.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
#endif
    // Nor the player's files: the data folder (the last conditions, the
    // remembered draws) is $XDG_DATA_HOME/Tarnel/Tarnel when the caller sets
    // XDG_DATA_HOME, else a fresh folder that goes away with the replay.
    QTemporaryDir scratch;
    const QString xdgData = qEnvironmentVariable("XDG_DATA_HOME");
    setDataFolder(xdgData.isEmpty() ? scratch.path() : xdgData + QStringLiteral("/Tarnel/Tarnel"));
    app.setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));
    applyAppearance(app);

    QByteArray data;
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        errorLine(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return 2;
    }
    data = file.readAll();
    // Qt's JSON reader drops a byte order mark that opens a string, but keeps
    // one written as an escape: so every one after the first byte becomes one
    // (outside a string it was no JSON either way).
    if (data.size() > 3) data = data.left(3) + data.mid(3).replace("\xEF\xBB\xBF", "\\ufeff");

    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        errorLine(QStringLiteral("malformed JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString()));
        return 2;
    }
    if (!doc.isObject() || !doc.object().value(QLatin1String("steps")).isArray()) {
        errorLine(QStringLiteral("malformed scenario: expected an object with a \"steps\" array"));
        return 2;
    }

    RecordingUiServices services;
    MainWindow main(services);
    main.show();
    main.activateWindow();
    settle();

    Replayer replayer(main, services);
    const QJsonArray steps = doc.object().value(QLatin1String("steps")).toArray();
    int status = 0;
    for (int i = 0; i < steps.size() && status == 0; ++i) {
        try {
            if (!steps[i].isObject()) fail(QStringLiteral("a step must be an object"));
            replayer.runStep(i, steps[i].toObject());
            settle();
        } catch (const StepError& e) {
            errorLine(QStringLiteral("step %1: %2").arg(i).arg(e.reason));
            status = 2;
        }
    }
    // The end of a replay is an end of the program: its conditions are kept as any end's.
    main.document().recordEnd();
    return status;
}
