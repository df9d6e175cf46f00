#include "platform/clock.h"
#include "platform/filedialog.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "platform/printers.h"
#include "platform/shell.h"
#include "platform/volumes.h"

#include <QDialog>
#include <QPrinter>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>

using namespace platform;

namespace {

// A replacement that names itself when the program asks it something.
struct Named : Clock, MessageService, ModalRunner, Volumes, Printers, PrintDialog, FileDialogs
{
    explicit Named(QString n) : name(std::move(n)) {}
    QString name;
    mutable QString *heard = nullptr;
    void tell() const { *heard = name; }

    QDateTime now() const override { tell(); return {}; }
    Answer confirmYesNo(const QString &) override { tell(); return Answer::No; }
    Answer confirmOkCancel(const QString &) override { return Answer::Cancel; }
    Answer confirmYesCancel(const QString &) override { return Answer::Cancel; }
    Answer confirmReplace(const QString &) override { return Answer::Cancel; }
    void information(const QString &) override {}
    void confirmation(const QString &) override {}
    void error(const QString &) override {}
    void beep() override {}
    int run(QDialog &) override { tell(); return 0; }
    QList<Volume> writable() const override { tell(); return {}; }
    qint64 freeSpace(const QString &) const override { return 0; }
    QStringList names() override { tell(); return {}; }
    QString defaultName() override { return {}; }
    bool supportsMultipleCopies(const QString &) override { return false; }
    std::unique_ptr<QPrinter> create(const QString &) override { return nullptr; }
    std::optional<PrintChoice> ask(const PrintRequest &, QWidget *) override { tell(); return std::nullopt; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { tell(); return {}; }
    QString openFileName(QWidget *, const QString &, const QString &) override { return {}; }
};

// One hook as a test sees it: install a named replacement for a while, and
// ask the program's function in front of it.
struct Kind
{
    const char *name;
    // Installs `n` for the lifetime of the returned object.
    std::function<std::shared_ptr<void>(Named &n)> scoped;
    std::function<void(Named *n)> set; // nullptr: the default again
    std::function<void()> ask;
};

template <typename T>
std::shared_ptr<void> hold(Hook<T> &hook, T value)
{
    return std::make_shared<typename Hook<T>::Scoped>(hook, std::move(value));
}

std::function<void(int)> viewerOf(Named *n)
{
    return n ? std::function<void(int)>([n](int) { n->tell(); }) : nullptr;
}
std::function<bool(const QUrl &)> openerOf(Named *n)
{
    return n ? std::function<bool(const QUrl &)>([n](const QUrl &) { n->tell(); return true; }) : nullptr;
}

const std::vector<Kind> &kinds()
{
    static const std::vector<Kind> list = {
        {"clock", [](Named &n) { return hold<Clock *>(clockHook(), &n); }, [](Named *n) { setClock(n); },
         [] { platform::clock().now(); }},
        {"messages", [](Named &n) { return hold<MessageService *>(messagesHook(), &n); },
         [](Named *n) { setMessages(n); }, [] { messages().confirmYesNo(QStringLiteral("?")); }},
        {"modal runner", [](Named &n) { return hold<ModalRunner *>(modalRunnerHook(), &n); },
         [](Named *n) { setModalRunner(n); }, [] {
             QDialog dialog;
             modalRunner().run(dialog);
         }},
        {"volumes", [](Named &n) { return hold<Volumes *>(volumesHook(), &n); }, [](Named *n) { setVolumes(n); },
         [] { volumes().writable(); }},
        {"printers", [](Named &n) { return hold<Printers *>(printersHook(), &n); },
         [](Named *n) { setPrinters(n); }, [] { printers().names(); }},
        {"print dialog", [](Named &n) { return hold<PrintDialog *>(printDialogHook(), &n); },
         [](Named *n) { setPrintDialog(n); }, [] { printDialog().ask({}, nullptr); }},
        {"file dialogs", [](Named &n) { return hold<FileDialogs *>(fileDialogsHook(), &n); },
         [](Named *n) { fileDialogsHook().set(n); },
         [] { getSaveFileName(nullptr, QString(), QString(), QString()); }},
        {"help viewer", [](Named &n) { return hold(helpViewerHook(), viewerOf(&n)); },
         [](Named *n) { setHelpViewer(viewerOf(n)); }, [] { showHelp(0); }},
        {"url opener", [](Named &n) { return hold(urlOpenerHook(), openerOf(&n)); },
         [](Named *n) { setUrlOpener(openerOf(n)); }, [] { openUrl(QUrl(QStringLiteral("x:y"))); }},
    };
    return list;
}

} // namespace

class TestHooks : public QObject
{
    Q_OBJECT
private slots:
    // A replacement for a while puts back the one installed before it, not
    // the default: a case's own replacement leaves its fixture's in force.
    // Installing nothing brings the default back.
    void scopedReplacementPutsBackThePreviousOne_data()
    {
        QTest::addColumn<int>("kind");
        for (int i = 0; i < int(kinds().size()); ++i)
            QTest::newRow(kinds()[i].name) << i;
    }
    void scopedReplacementPutsBackThePreviousOne()
    {
        QFETCH(int, kind);
        const Kind &k = kinds()[kind];
        QString heard;
        Named fixture(QStringLiteral("fixture")), inner(QStringLiteral("inner")), innermost(QStringLiteral("innermost"));
        for (Named *n : {&fixture, &inner, &innermost})
            n->heard = &heard;
        k.set(&fixture);
        {
            const auto a = k.scoped(inner);
            {
                const auto b = k.scoped(innermost);
                k.ask();
                QCOMPARE(heard, innermost.name);
            }
            k.ask();
            QCOMPARE(heard, inner.name);
        }
        k.ask();
        QCOMPARE(heard, fixture.name);
        k.set(nullptr);
        {
            const auto a = k.scoped(inner);
        }
        heard.clear();
        // The defaults that show nothing and start nothing are asked too.
        if (QByteArrayList{"clock", "volumes", "help viewer"}.contains(k.name))
            k.ask();
        QCOMPARE(heard, QString()); // no replacement answered
    }
};

QTEST_MAIN(TestHooks)
#include "test_hooks.moc"
