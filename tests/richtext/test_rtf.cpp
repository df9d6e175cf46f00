// The RTF bridge: reading what word processors write, writing what they
// read, the round trip of everything the editor can produce, malformed
// input, the delivered hint texts, exact twips and the font "Symbol".

#include "richtext/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextList>

#include <cctype>
#include <functional>

namespace {

const QFont defaultFont()
{
    return QFont(QStringLiteral("Arial"), 10);
}

QByteArray wrap(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
           "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\ftech\\fcharset2 Symbol;}}"
           "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}\n"
        + body + "}";
}

// One run of text with the format settings the bridge keeps, as tokens.
QString describe(const QTextCharFormat &f, const QFont &base)
{
    const QFont font = f.font().resolve(base);
    QStringList t;
    t << QStringLiteral("fam=%1").arg(richtext::isSymbolFont(f) ? QStringLiteral("Symbol") : font.families().value(0));
    const int h = richtext::heightTwips(f);
    t << QStringLiteral("h=%1").arg(h > 0 ? h : qRound(base.pointSizeF() * 20));
    t << QStringLiteral("o=%1").arg(richtext::offsetTwips(f));
    if (font.bold())
        t << QStringLiteral("b");
    if (font.italic())
        t << QStringLiteral("i");
    if (font.underline())
        t << QStringLiteral("u");
    if (font.strikeOut())
        t << QStringLiteral("s");
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        t << QStringLiteral("c=") + f.foreground().color().name();
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        t << QStringLiteral("bg=") + f.background().color().name();
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        t << QStringLiteral("super");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        t << QStringLiteral("sub");
    return t.join(QLatin1Char(' '));
}

// A paragraph's settings that are not the default, as tokens; lists are
// numbered in their order in the document.
QString describe(const QTextBlock &b)
{
    const QTextBlockFormat f = b.blockFormat();
    QStringList t{QStringLiteral("P")};
    if (f.hasProperty(QTextFormat::BlockAlignment)) {
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        t << (a & Qt::AlignJustify ? QStringLiteral("justify")
                  : a & Qt::AlignHCenter ? QStringLiteral("centre")
                  : a & Qt::AlignRight   ? QStringLiteral("right")
                                         : QStringLiteral("left"));
    }
    const std::pair<const char *, double> values[] = {{"left", f.leftMargin()},   {"first", f.textIndent()},
                                                      {"right", f.rightMargin()}, {"above", f.topMargin()},
                                                      {"below", f.bottomMargin()}, {"level", double(f.indent())}};
    for (const auto &[name, value] : values)
        if (value != 0)
            t << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(value);
    if (const QTextList *l = b.textList()) {
        QList<const QTextList *> lists;
        for (QTextBlock o = b.document()->begin(); o.isValid(); o = o.next())
            if (o.textList() && !lists.contains(o.textList()))
                lists << o.textList();
        t << QStringLiteral("list%1=%2/%3")
                 .arg(lists.indexOf(l))
                 .arg(int(l->format().style()))
                 .arg(l->format().indent());
    }
    return t.join(QLatin1Char(' '));
}

// The document as lines: each paragraph, then its runs with their settings;
// neighbouring fragments with equal settings are one run.
QStringList describe(const QTextDocument &d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        out << describe(b);
        QString text, props;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QString p = describe(fr.charFormat(), d.defaultFont());
            if (p != props && !text.isEmpty()) {
                out << QStringLiteral("  \"%1\" %2").arg(text, props);
                text.clear();
            }
            props = p;
            text += fr.text();
        }
        if (!text.isEmpty())
            out << QStringLiteral("  \"%1\" %2").arg(text, props);
    }
    return out;
}

// The settings of the run holding `text`.
QString formatOf(const QTextDocument &d, const QString &text)
{
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return describe(it.fragment().charFormat(), d.defaultFont());
    return QStringLiteral("(not found)");
}

bool isSevenBit(const QByteArray &b)
{
    for (char c : b)
        if (uchar(c) >= 0x80 || (uchar(c) < 0x20 && c != '\n'))
            return false;
    return true;
}

// The topmost and bottommost rows with ink between the columns x0 and x1.
QPair<int, int> inkRows(const QImage &img, int x0, int x1)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(img.pixel(x, y)) < 160) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
    return {top, bottom};
}

// The text of a line of simple RTF, found without the reader: control
// words dropped, byte escapes decoded.
QString roughText(const QByteArray &line)
{
    QString out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c != '\\') {
            out += QLatin1Char(c);
        } else if (i + 3 < line.size() && line.at(i + 1) == '\'') {
            out += QChar(line.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            ++i;
            while (i < line.size() && (std::isalpha(uchar(line.at(i))) || std::isdigit(uchar(line.at(i)))))
                ++i;
            if (i >= line.size() || line.at(i) != ' ')
                --i;
        }
    }
    return out;
}

using Build = std::function<void(QTextCursor &)>;

QTextCharFormat sized(int twips, int offset = 0)
{
    QTextCharFormat f;
    richtext::setHeightAndOffset(f, twips, offset);
    return f;
}

} // namespace

Q_DECLARE_METATYPE(Build)

class TestRtf : public QObject
{
    Q_OBJECT

    QTextDocument m_doc;

    void read(const QByteArray &rtf)
    {
        m_doc.setDefaultFont(defaultFont());
        QVERIFY(richtext::readRtf(m_doc, rtf));
    }

private slots:
    void readsCharacters_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("windows-1252 escapes") << QByteArray("Gr\\'fc\\'dfe \\'80 \\'84x\\'93") << u"Grüße € „x“"_qs;
        QTest::newRow("raw bytes are windows-1252") << QByteArray("Gr\xfc\xdf" "e \x80") << u"Grüße €"_qs;
        QTest::newRow("unicode with fallback") << QByteArray("a\\u8364?b") << u"a€b"_qs;
        QTest::newRow("negative unicode") << QByteArray("\\u-10179?\\u-8694?") << u"\U0001F60A"_qs;
        QTest::newRow("uc2 skips two fallbacks") << QByteArray("\\uc2\\u36215\\'8b\\'4eX") << u"起X"_qs;
        QTest::newRow("uc0 skips nothing") << QByteArray("\\uc0\\u8364 X") << u"€X"_qs;
        QTest::newRow("uc in a group only") << QByteArray("{\\uc2\\u8364??}\\u8364?X") << u"€€X"_qs;
        QTest::newRow("escaped specials") << QByteArray("\\\\ \\{ \\}") << u"\\ { }"_qs;
        QTest::newRow("named characters")
            << QByteArray("\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote")
            << u"—–•‘’“”"_qs;
        QTest::newRow("nbsp, soft and hard hyphen") << QByteArray("a\\~b\\-c\\_d") << u"a\u00A0b\u00ADc\u2011d"_qs;
        QTest::newRow("tab and line") << QByteArray("a\\tab b\\line c") << u"a\tb\u2028c"_qs;
        QTest::newRow("paragraphs") << QByteArray("a\\par b\\par") << u"a\u2029b"_qs;
        QTest::newRow("backslash newline is a paragraph") << QByteArray("a\\\nb") << u"a\u2029b"_qs;
        QTest::newRow("line ends are not text") << QByteArray("a\r\nb\nc") << u"abc"_qs;
        QTest::newRow("unknown words keep the text") << QByteArray("a\\foo12 b\\bar-3c\\zz") << u"abc"_qs;
        QTest::newRow("ignorable destination") << QByteArray("a{\\*\\unknown hidden {nested}}b") << u"ab"_qs;
        QTest::newRow("skipped destinations")
            << QByteArray("a{\\info{\\title T}{\\author A}}{\\pict\\wmetafile8 0102ff}{\\header H}{\\footer F}"
                          "{\\stylesheet{\\s0 Normal;}}{\\*\\generator G;}b")
            << u"ab"_qs;
        QTest::newRow("binary data") << QByteArray("a{\\pict\\bin4 {}\\x}b") << u"ab"_qs;
        QTest::newRow("field result") << QByteArray("{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}")
                                      << u"Link"_qs;
        QTest::newRow("ansi and unicode alternatives")
            << QByteArray("{\\upr{Caf\\'e9}{\\*\\ud{Caf\\u233?}}}") << u"Café"_qs;
        QTest::newRow("bullet text is not text")
            << QByteArray("{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2{\\pntxtb\\'b7}}A") << u"A"_qs;
    }
    void readsCharacters()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        read(wrap(body));
        QString all;
        for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next())
            all += (b == m_doc.begin() ? QString() : QStringLiteral("\u2029")) + b.text();
        QCOMPARE(all, text);
    }

    void readsCharacterFormats_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("after"); // the run after X, "" to skip
        QTest::newRow("bold") << QByteArray("\\b X\\b0 y") << "fam=Arial h=200 o=0 b" << "fam=Arial h=200 o=0";
        QTest::newRow("bold in a group") << QByteArray("{\\b X}y") << "fam=Arial h=200 o=0 b" << "fam=Arial h=200 o=0";
        QTest::newRow("italic") << QByteArray("\\i X\\i0 y") << "fam=Arial h=200 o=0 i" << "fam=Arial h=200 o=0";
        QTest::newRow("underline, ul0")
            << QByteArray("\\ul X\\ul0 y") << "fam=Arial h=200 o=0 u" << "fam=Arial h=200 o=0";
        QTest::newRow("underline, ulnone") << QByteArray("\\uldb X\\ulnone y") << "fam=Arial h=200 o=0 u"
                                           << "fam=Arial h=200 o=0";
        QTest::newRow("strike")
            << QByteArray("\\strike X\\strike0 y") << "fam=Arial h=200 o=0 s" << "fam=Arial h=200 o=0";
        QTest::newRow("size in half-points") << QByteArray("\\fs28 X\\fs17 y") << "fam=Arial h=280 o=0"
                                             << "fam=Arial h=170 o=0";
        QTest::newRow("font") << QByteArray("\\f1 X\\f0 y") << "fam=Times New Roman h=200 o=0" << "fam=Arial h=200 o=0";
        QTest::newRow("default font") << QByteArray("\\f1 {\\plain X}") << "fam=Arial h=200 o=0" << "";
        QTest::newRow("colour")
            << QByteArray("\\cf2 X\\cf0 y") << "fam=Arial h=200 o=0 c=#ff0000" << "fam=Arial h=200 o=0";
        QTest::newRow("colour beyond the table") << QByteArray("\\cf99 X") << "fam=Arial h=200 o=0" << "";
        QTest::newRow("highlight") << QByteArray("\\highlight3 X") << "fam=Arial h=200 o=0 bg=#ffff00" << "";
        QTest::newRow("raised")
            << QByteArray("\\fs20\\up6 X\\up0 y") << "fam=Arial h=200 o=60" << "fam=Arial h=200 o=0";
        QTest::newRow("raised by default") << QByteArray("\\up X") << "fam=Arial h=200 o=60" << "";
        QTest::newRow("lowered") << QByteArray("\\dn4 X\\dn0 y") << "fam=Arial h=200 o=-40" << "fam=Arial h=200 o=0";
        QTest::newRow("superscript") << QByteArray("\\super X\\nosupersub y") << "fam=Arial h=200 o=0 super"
                                     << "fam=Arial h=200 o=0";
        QTest::newRow("subscript") << QByteArray("\\sub X") << "fam=Arial h=200 o=0 sub" << "";
        QTest::newRow("plain resets") << QByteArray("\\b\\i\\ul\\cf2\\fs30\\up4\\plain X") << "fam=Arial h=200 o=0"
                                      << "";
        QTest::newRow("group restores") << QByteArray("\\b{\\i\\b0\\fs40 y}X") << "fam=Arial h=200 o=0 b" << "";
        QTest::newRow("sizes and offsets are clamped")
            << QByteArray("\\fs999999999\\up99999999 X\\fs-4\\dn3 y") << "fam=Arial h=32760 o=32760"
            << "fam=Arial h=20 o=-30";
        QTest::newRow("everything") << QByteArray("\\f1\\fs24\\b\\i\\ul\\cf2\\up3 X")
                                    << "fam=Times New Roman h=240 o=30 b i u c=#ff0000" << "";
    }
    void readsCharacterFormats()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QFETCH(QString, after);
        read(wrap("\\pard\\plain\\fs20 " + body));
        QCOMPARE(formatOf(m_doc, QStringLiteral("X")), expected);
        if (!after.isEmpty())
            QCOMPARE(formatOf(m_doc, QStringLiteral("y")), after);
    }

    void readsParagraphFormats_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("blocks");
        QTest::newRow("alignment, reset by pard")
            << QByteArray("\\pard\\qc A\\par\\qr B\\par\\pard\\qj C\\par\\pard\\ql D\\par\\pard E\\par")
            << QStringList{u"P centre"_qs, u"P right"_qs, u"P justify"_qs, u"P left"_qs, u"P"_qs};
        QTest::newRow("indents in twips") << QByteArray("\\pard\\li600\\fi-300\\ri150\\sb120\\sa60 A\\par")
                                          << QStringList{u"P left=40 first=-20 right=10 above=8 below=4"_qs};
        QTest::newRow("last paragraph without par keeps its settings")
            << QByteArray("\\pard A\\par\\pard\\qc B") << QStringList{u"P"_qs, u"P centre"_qs};
        QTest::newRow("bullets of the pn kind, one list")
            << QByteArray("\\pard A\\par{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360{\\pntxtb\\'b7}}"
                          "\\fi-360\\li720 B\\par{\\pntext\\f2\\'b7\\tab}C\\par\\pard D\\par{\\*\\pn\\pnlvlblt}E\\par")
            << QStringList{u"P"_qs, u"P left=8 list0=-1/1"_qs, u"P left=8 list0=-1/1"_qs, u"P"_qs,
                           u"P left=-40 first=24 list1=-1/1"_qs};
        QTest::newRow("pnlvlblt without a pn group")
            << QByteArray("\\pard\\pnlvlblt\\fi-360\\li600 A\\par") << QStringList{u"P list0=-1/1"_qs};
        QTest::newRow("numbered")
            << QByteArray("\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart1{\\pntxta .}}\\li600 A\\par")
                                  << QStringList{u"P first=24 list0=-8/1"_qs};
        QTest::newRow("hanging bullet left of the list indent")
            << QByteArray("\\pard\\pnlvlblt\\fi-360\\li360 A\\par") << QStringList{u"P left=-16 list0=-1/1"_qs};
        QTest::newRow("list of the newer kind")
            << QByteArray("\\pard{\\listtext\\f2\\'b7\\tab}\\ls1\\fi-360\\li720 A\\par")
                                                << QStringList{u"P left=8 list0=-1/1"_qs};
        QTest::newRow("indent level of our own")
            << QByteArray("\\pard\\lnlvl2\\li1500 A\\par\\pard\\pnlvlblt\\lnlvl0\\fi-360\\li600 B\\par")
                                                 << QStringList{u"P left=20 level=2"_qs, u"P list0=-1/1"_qs};
    }
    void readsParagraphFormats()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, blocks);
        read(wrap(body));
        QStringList got;
        for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next())
            got << describe(b);
        QCOMPARE(got, blocks);
        QVERIFY(!m_doc.toPlainText().contains(QChar(0xB7)));
    }

    void readsOtherWordProcessors_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("runs"); // "text|settings"
        QTest::addColumn<QStringList>("blocks");
        QTest::newRow("small word processor")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 "
                          "Calibri;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4"
                          "\\uc1 \r\n\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang7 Schornsteinfeger \\b Meister\\b0\\par"
                          "\r\n{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720"
                          "\\sa200\\sl276\\slmult1 Kehren\\par\r\n{\\pntext\\f1\\'B7\\tab}Messen\\par\r\n\\pard\\sa200"
                          "\\sl276\\slmult1 Gr\\'fc\\'dfe \\u8364? 5\\par\r\n}\r\n\0")
            << u"Schornsteinfeger Meister\nKehren\nMessen\nGrüße € 5"_qs
            << QStringList{u"Meister|fam=Calibri h=220 o=0 b"_qs, u"Kehren|fam=Calibri h=220 o=0"_qs}
            << QStringList{u"P below=13.3333"_qs, u"P left=8 below=13.3333 list0=-1/1"_qs,
                           u"P left=8 below=13.3333 list0=-1/1"_qs, u"P below=13.3333"_qs};
        QTest::newRow("large word processor")
            << QByteArray(
                   "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0{\\fonttbl{\\f0\\froman"
                   "\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}{\\f1\\fswiss\\fcharset0"
                   "\\fprq2{\\*\\panose 020b0604020202020204}Arial{\\*\\falt Helvetica};}}\n{\\colortbl;\\red0\\green0"
                   "\\blue0;\\red255\\green0\\blue0;}\n{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\wrapdefault\\faauto"
                   "\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af0\\afs24\\alang1025 \\ltrch\\fcs0 \\fs24\\lang1031 \\snext0 "
                   "\\sqformat \\spriority0 Normal;}{\\*\\cs10 \\additive Default Paragraph Font;}}\n{\\*\\rsidtbl "
                   "\\rsid1}{\\*\\generator Microsoft Word 11.0.0000;}{\\info{\\title Bericht}{\\author Lehrling}}\n"
                   "\\paperw11906\\paperh16838\\margl1417\\margr1417\\margt1417\\margb1134\n\\pard\\plain \\ltrpar"
                   "\\qc \\li0\\ri0\\widctlpar\\f1\\fs24\\lang1031 {\\b\\cf2 Abgasmessung}{\\uc2\\u36215\\'8b\\'4e}"
                   "\\par\n\\pard\\plain \\f1\\fs20 CO{\\dn4 2} und m{\\up6 3}{\\*\\bkmkstart x}{\\*\\bkmkend x}\\par\n}")
            << u"Abgasmessung起\nCO2 und m3"_qs
            << QStringList{u"Abgasmessung|fam=Arial h=240 o=0 b c=#ff0000"_qs, u"2|fam=Arial h=200 o=-40"_qs,
                           u"3|fam=Arial h=200 o=60"_qs}
            << QStringList{u"P centre"_qs, u"P"_qs};
        QTest::newRow("font table without groups")
            << QByteArray("{\\rtf1\\mac\\deff1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\froman Times;}\\f0 A\\f1 B}")
            << u"AB"_qs << QStringList{u"A|fam=Helvetica h=200 o=0"_qs, u"B|fam=Times h=200 o=0"_qs}
            << QStringList{u"P"_qs};
    }
    void readsOtherWordProcessors()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QFETCH(QStringList, runs);
        QFETCH(QStringList, blocks);
        read(rtf);
        QCOMPARE(m_doc.toPlainText(), text);
        QStringList got;
        for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next())
            got << describe(b);
        QCOMPARE(got, blocks);
        for (const QString &r : runs) {
            const QStringList parts = r.split(QLatin1Char('|'));
            QCOMPARE(formatOf(m_doc, parts.at(0)), parts.at(1));
        }
    }

    void roundTrip_data()
    {
        QTest::addColumn<Build>("build");
        const auto text = [](QTextCursor &c, const QString &s, const QTextCharFormat &f = {}) { c.insertText(s, f); };
        QTest::newRow("bold, italic, underline, strike") << Build([text](QTextCursor &c) {
            QTextCharFormat b, i, u, s, all;
            b.setFontWeight(QFont::Bold);
            i.setFontItalic(true);
            u.setFontUnderline(true);
            s.setFontStrikeOut(true);
            all = b;
            all.merge(i);
            all.merge(u);
            text(c, QStringLiteral("normal "));
            text(c, QStringLiteral("fett "), b);
            text(c, QStringLiteral("kursiv "), i);
            text(c, QStringLiteral("unterstrichen "), u);
            text(c, QStringLiteral("durch "), s);
            text(c, QStringLiteral("alles"), all);
        });
        QTest::newRow("families and sizes") << Build([text](QTextCursor &c) {
            QTextCharFormat times, courier;
            times.setFontFamilies({QStringLiteral("Times New Roman")});
            times.setFontPointSize(14);
            courier.setFontFamilies({QStringLiteral("Courier New")});
            courier.setFontPointSize(8.5);
            text(c, QStringLiteral("Arial "));
            text(c, QStringLiteral("Times "), times);
            text(c, QStringLiteral("Courier "), courier);
            text(c, QStringLiteral("neun komma sechs "), sized(192));
            text(c, QStringLiteral("ungerade"), sized(183));
        });
        QTest::newRow("raised and lowered") << Build([text](QTextCursor &c) {
            QTextCharFormat sup, sub;
            sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
            text(c, QStringLiteral("m"), sized(200));
            text(c, QStringLiteral("3"), sized(160, 66));
            text(c, QStringLiteral(" CO"), sized(240));
            text(c, QStringLiteral("2"), sized(192, -48));
            text(c, QStringLiteral(" fast"), sized(200, 3));
            text(c, QStringLiteral(" hoch"), sup);
            text(c, QStringLiteral(" tief"), sub);
        });
        QTest::newRow("colours") << Build([text](QTextCursor &c) {
            QTextCharFormat red, blue, marked;
            red.setForeground(QColor(255, 0, 0));
            blue.setForeground(QColor(0, 0, 200));
            marked.setBackground(QColor(255, 255, 0));
            marked.setForeground(QColor(255, 0, 0));
            text(c, QStringLiteral("rot "), red);
            text(c, QStringLiteral("blau "), blue);
            text(c, QStringLiteral("markiert"), marked);
        });
        QTest::newRow("alignment") << Build([text](QTextCursor &c) {
            const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
            for (Qt::Alignment a : aligns) {
                QTextBlockFormat bf;
                bf.setAlignment(a);
                c.setBlockFormat(bf);
                text(c, QStringLiteral("Absatz"));
                c.insertBlock(QTextBlockFormat());
            }
            text(c, QStringLiteral("ohne Ausrichtung"));
        });
        QTest::newRow("lists") << Build([text](QTextCursor &c) {
            text(c, QStringLiteral("davor"));
            c.insertBlock(QTextBlockFormat());
            c.createList(QTextListFormat::ListDisc);
            text(c, QStringLiteral("eins"));
            c.insertBlock();
            text(c, QStringLiteral("zwei"));
            c.insertBlock(QTextBlockFormat());
            text(c, QStringLiteral("dazwischen"));
            c.insertBlock(QTextBlockFormat());
            QTextListFormat numbered;
            numbered.setStyle(QTextListFormat::ListDecimal);
            numbered.setIndent(1);
            c.createList(numbered);
            text(c, QStringLiteral("erstens"));
            c.insertBlock(QTextBlockFormat());
            QTextListFormat nested;
            nested.setStyle(QTextListFormat::ListDisc);
            nested.setIndent(2);
            c.createList(nested);
            QTextBlockFormat bf = c.blockFormat();
            bf.setLeftMargin(20);
            c.setBlockFormat(bf);
            text(c, QStringLiteral("eingerückt"));
        });
        QTest::newRow("indents") << Build([text](QTextCursor &c) {
            QTextBlockFormat bf;
            bf.setLeftMargin(40);
            bf.setTextIndent(-20);
            bf.setRightMargin(10);
            bf.setTopMargin(8);
            bf.setBottomMargin(4);
            c.setBlockFormat(bf);
            text(c, QStringLiteral("eingerückt"));
            QTextBlockFormat level;
            level.setIndent(2);
            c.insertBlock(level);
            text(c, QStringLiteral("Stufe zwei"));
        });
        QTest::newRow("line breaks, tabs, empty paragraphs") << Build([text](QTextCursor &c) {
            text(c, QStringLiteral("a\tb") + QChar(QChar::LineSeparator) + QStringLiteral("c"));
            c.insertBlock();
            c.insertBlock();
            text(c, QStringLiteral("nach leerem Absatz"));
            c.insertBlock();
        });
        QTest::newRow("characters") << Build([text](QTextCursor &c) {
            text(c, u"Grüße „Öfen“ – 5 € … ½ "_qs);
            text(c, u"Ωπ≤ 漢字 \U0001F525 \\{} a\u00A0b\u00ADc\u2011d"_qs);
        });
        QTest::newRow("symbol characters") << Build([text](QTextCursor &c) {
            QTextCharFormat sym, bold;
            richtext::setSymbolFont(sym);
            bold = sym;
            bold.setFontWeight(QFont::Bold);
            QTextCharFormat raised = sym;
            richtext::setHeightAndOffset(raised, 160, 66);
            text(c, QStringLiteral("Kreis "));
            text(c, u"παβΩ≤∞↑°±×∅∩∪⊃⊇⊄⊂⊆√ϒ 1"_qs, sym);
            text(c, QStringLiteral(" fett "));
            text(c, u"Σ"_qs, bold);
            text(c, u"π"_qs, raised);
        });
        QTest::newRow("empty document") << Build([](QTextCursor &) {});
        QTest::newRow("everything at once") << Build([text](QTextCursor &c) {
            QTextBlockFormat centre;
            centre.setAlignment(Qt::AlignHCenter);
            c.setBlockFormat(centre);
            QTextCharFormat title = sized(280);
            title.setFontWeight(QFont::Bold);
            title.setForeground(QColor(0, 0, 128));
            text(c, QStringLiteral("Überprüfung"), title);
            c.insertBlock(QTextBlockFormat());
            c.createList(QTextListFormat::ListDisc);
            text(c, QStringLiteral("Abgasverlust 7 %"));
            c.insertBlock();
            text(c, QStringLiteral("Volumen 12 m"));
            text(c, QStringLiteral("3"), sized(160, 66));
            QTextCharFormat sym;
            richtext::setSymbolFont(sym);
            c.insertBlock(QTextBlockFormat());
            text(c, QStringLiteral("Fläche "));
            text(c, u"π"_qs, sym);
            text(c, QStringLiteral("·r"));
            text(c, QStringLiteral("2"), sized(160, 66));
        });
    }
    void roundTrip()
    {
        QFETCH(Build, build);
        QTextDocument original;
        original.setDefaultFont(defaultFont());
        QTextCursor c(&original);
        build(c);
        const QByteArray rtf = richtext::writeRtf(original);
        QVERIFY2(isSevenBit(rtf), rtf.constData());
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
        QTextDocument copy;
        copy.setDefaultFont(defaultFont());
        QVERIFY(richtext::readRtf(copy, rtf));
        QCOMPARE(describe(copy), describe(original));
        QCOMPARE(richtext::writeRtf(copy), rtf);
    }

    void writerOutput_data()
    {
        QTest::addColumn<Build>("build");
        QTest::addColumn<QByteArrayList>("contains");
        QTest::addColumn<QByteArrayList>("lacks");
        QTest::newRow("plain text has no colour table")
            << Build([](QTextCursor &c) { c.insertText(QStringLiteral("x")); })
            << QByteArrayList{"{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}", "\\fs20 x}\\par"}
            << QByteArrayList{"colortbl", "Symbol"};
        QTest::newRow("symbol bytes in the font Symbol")
            << Build([](QTextCursor &c) {
                   QTextCharFormat sym;
                   richtext::setSymbolFont(sym);
                   c.insertText(u"π≤"_qs, sym);
               })
            << QByteArrayList{"{\\f1\\ftech\\fcharset2 Symbol;}", "{\\f1\\fs20 \\'70\\'a3}"}
            << QByteArrayList{"\\u960"};
        QTest::newRow("bullets for other readers")
            << Build([](QTextCursor &c) {
                   c.createList(QTextListFormat::ListDisc);
                   c.insertText(QStringLiteral("x"));
               })
            << QByteArrayList{"{\\*\\pn\\pnlvlblt\\pnf1", "{\\pntext\\f1\\'b7\\tab}", "\\fi-360\\li600"}
            << QByteArrayList{"lnlvl"};
        QTest::newRow("colours and characters")
            << Build([](QTextCursor &c) {
                   QTextCharFormat red;
                   red.setForeground(QColor(255, 0, 0));
                   c.insertText(u"ä€\u2028\t漢"_qs, red);
               })
            << QByteArrayList{"{\\colortbl;\\red255\\green0\\blue0;}", "\\cf1 \\'e4\\'80\\line \\tab \\u28450?}"}
            << QByteArrayList{};
    }
    void writerOutput()
    {
        QFETCH(Build, build);
        QFETCH(QByteArrayList, contains);
        QFETCH(QByteArrayList, lacks);
        QTextDocument d;
        d.setDefaultFont(defaultFont());
        QTextCursor c(&d);
        build(c);
        const QByteArray rtf = richtext::writeRtf(d);
        for (const QByteArray &s : contains)
            QVERIFY2(rtf.contains(s), (s + " not in " + rtf).constData());
        for (const QByteArray &s : lacks)
            QVERIFY2(!rtf.contains(s), (s + " in " + rtf).constData());
    }

    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("unclosed groups") << QByteArray("{\\rtf1{\\b{\\i Hallo") << u"Hallo"_qs;
        QTest::newRow("too many closing braces") << QByteArray("{\\rtf1 Hallo}}} Welt}") << u"Hallo Welt"_qs;
        QTest::newRow("huge numbers") << QByteArray("{\\rtf1\\fs999999999999999999 A\\up99999999999 B\\f-99999 "
                                                    "\\u99999999999?C\\uc9999999 \\cf-3 D}")
                                      << u"ABCD"_qs;
        QTest::newRow("negative sizes") << QByteArray("{\\rtf1\\fs-20 A\\fs0 B\\lnhtw-5 C}") << u"ABC"_qs;
        QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "tief"
                + QByteArray(100000, '}') + " oben}"
                                      << u"tief oben"_qs;
        QTest::newRow("truncated escapes") << QByteArray("{\\rtf1 A\\'e") << u"A"_qs;
        QTest::newRow("trailing backslash") << QByteArray("{\\rtf1 A\\") << u"A"_qs;
        QTest::newRow("truncated word") << QByteArray("{\\rtf1 A\\fs") << u"A"_qs;
        QTest::newRow("bad hex") << QByteArray("{\\rtf1 A\\'zzB}") << u"AzzB"_qs;
        static const char nuls[] = "{\\rtf1 A\0B\0\\'00C}";
        QTest::newRow("nul bytes") << QByteArray(nuls, sizeof(nuls) - 1) << u"ABC"_qs;
        QTest::newRow("binary past the end") << QByteArray("{\\rtf1 A\\bin999999999 xyz") << u"A"_qs;
        QTest::newRow("document markers") << QByteArray("{\\rtf1 A\\u65532?\\u64976?\\u8233?B}") << u"A\nB"_qs;
        QTest::newRow("unclosed font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial") << QString();
        QTest::newRow("text after the document") << QByteArray("{\\rtf1\\qc A}B") << u"AB"_qs;
        QTest::newRow("unicode skip across a group end") << QByteArray("{\\rtf1\\uc5{\\u8364}BC}") << u"€BC"_qs;
    }
    void malformedInput()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QElapsedTimer timer;
        timer.start();
        read(rtf);
        QCOMPARE(m_doc.toPlainText(), text);
        QVERIFY(timer.elapsed() < 5000);
        // Whatever was read can be written and read again.
        const QByteArray out = richtext::writeRtf(m_doc);
        QTextDocument again;
        again.setDefaultFont(defaultFont());
        QVERIFY(richtext::readRtf(again, out));
        QCOMPARE(again.toPlainText(), text);
    }

    void hintFiles()
    {
        const QString source = qEnvironmentVariable("LERNORA_SOURCE_DIR", QStringLiteral(LERNORA_SOURCE_DIR));
        const QDir dir(source + QStringLiteral("/data/hints"));
        const QStringList files = dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 157);
        for (const QString &name : files) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray rtf = f.readAll();
            QTextDocument d;
            QVERIFY2(richtext::readRtf(d, rtf), qPrintable(name));
            const QString text = d.toPlainText();
            QVERIFY2(text.trimmed().size() > 20, qPrintable(name));
            QVERIFY2(!text.contains(QLatin1Char('\\')) && !text.contains(QLatin1Char('{'))
                         && !text.contains(QLatin1Char('}')),
                     qPrintable(name + QLatin1String(": ") + text));
            // The text of every line of the file is in the document.
            for (const QByteArray &line : rtf.split('\n')) {
                if (line.startsWith('{') || line.trimmed() == "}")
                    continue;
                const QString expected = roughText(line).trimmed();
                QVERIFY2(text.contains(expected), qPrintable(name + QLatin1String(": ") + expected));
            }
            // The stored text gives the same document.
            QCOMPARE(richtext::toPlainText(QString::fromLatin1(rtf)), text);
        }
        QFile first(dir.filePath(QStringLiteral("01_01.rtf")));
        QVERIFY(first.open(QIODevice::ReadOnly));
        read(first.readAll());
        QCOMPARE(formatOf(m_doc, QStringLiteral("Ausbildungsvertrag")), QStringLiteral("fam=Arial h=200 o=0 b"));
        QVERIFY(m_doc.toPlainText().contains(u"Die Ausbildung dauert drei Jahre, die Probezeit beträgt"_qs));
        QCOMPARE(formatOf(m_doc, QStringLiteral("Heute")), QStringLiteral("fam=Arial h=200 o=0"));
    }

    void exactTwips_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("words");
        QTest::newRow("lowered 240") << 192 << -48 << QByteArray("\\fs19\\lnhtw192\\dn5\\lnotw-48 ");
        QTest::newRow("raised 200") << 160 << 66 << QByteArray("\\fs16\\up7\\lnotw66 ");
        QTest::newRow("whole half-points") << 240 << 60 << QByteArray("\\fs24\\up6 ");
        QTest::newRow("tiny offset") << 200 << 3 << QByteArray("\\fs20\\up0\\lnotw3 ");
        QTest::newRow("half rounds away from zero") << 185 << -35 << QByteArray("\\fs19\\lnhtw185\\dn4\\lnotw-35 ");
    }
    void exactTwips()
    {
        QFETCH(int, height);
        QFETCH(int, offset);
        QFETCH(QByteArray, words);
        QTextCharFormat f;
        richtext::setHeightAndOffset(f, height, offset);
        QCOMPARE(f.intProperty(richtext::HeightTwips), height);
        QCOMPARE(f.intProperty(richtext::OffsetTwips), offset);
        QCOMPARE(f.fontPointSize(), height / 20.0);
        QCOMPARE(f.baselineOffset() > 0, offset > 0);
        QCOMPARE(f.baselineOffset() < 0, offset < 0);
        QTextDocument d;
        d.setDefaultFont(defaultFont());
        QTextCursor(&d).insertText(QStringLiteral("X"), f);
        const QByteArray rtf = richtext::writeRtf(d);
        QVERIFY2(rtf.contains(words), rtf.constData());
        read(rtf);
        const QTextCharFormat back = m_doc.begin().begin().fragment().charFormat();
        QCOMPARE(richtext::heightTwips(back), height);
        QCOMPARE(richtext::offsetTwips(back), offset);
        QCOMPARE(back.fontPointSize(), height / 20.0);
    }

    void exactTwipsOnlyWhenTheyAgree()
    {
        // Another program changed the size but kept our word: the size wins.
        read(wrap("\\fs24\\lnhtw192\\up2\\lnotw66 X\\fs19\\lnhtw192 Y"));
        QCOMPARE(formatOf(m_doc, QStringLiteral("X")), QStringLiteral("fam=Arial h=240 o=20"));
        QCOMPARE(formatOf(m_doc, QStringLiteral("Y")), QStringLiteral("fam=Arial h=192 o=20"));
    }

    void twipsFollowTheFormat()
    {
        QTextCharFormat f;
        QCOMPARE(richtext::heightTwips(f), 0);
        f.setFontPointSize(11.5);
        QCOMPARE(richtext::heightTwips(f), 230);
        richtext::setHeightAndOffset(f, 192, -48);
        // The editor changed the size without the property.
        f.setFontPointSize(12);
        QCOMPARE(richtext::heightTwips(f), 240);
        QCOMPARE(richtext::offsetTwips(f), -48);
        // ... and removed the display offset.
        f.clearProperty(QTextFormat::TextBaselineOffset);
        QCOMPARE(richtext::offsetTwips(f), 0);
    }

    void symbolBytes_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("unicode");
        const QString greek = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ"_qs;
        const QString small = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ"_qs;
        for (int i = 0; i < 26; ++i) {
            QTest::addRow("%c", 'A' + i) << 0x41 + i << QString(greek.at(i));
            QTest::addRow("%c", 'a' + i) << 0x61 + i << QString(small.at(i));
        }
        const std::pair<int, const char16_t *> others[] = {
            {0xA1, u"ϒ"}, {0xA3, u"≤"}, {0xA5, u"∞"}, {0xAB, u"↔"}, {0xAC, u"←"}, {0xAD, u"↑"}, {0xAE, u"→"},
            {0xAF, u"↓"}, {0xB0, u"°"}, {0xB1, u"±"}, {0xB3, u"≥"}, {0xB4, u"×"}, {0xC6, u"∅"}, {0xC7, u"∩"},
            {0xC8, u"∪"}, {0xC9, u"⊃"}, {0xCA, u"⊇"}, {0xCB, u"⊄"}, {0xCC, u"⊂"}, {0xCD, u"⊆"}, {0xD6, u"√"},
            {0x20, u" "}, {0x31, u"1"}, {0x2B, u"+"}, {0x22, u"∀"}, {0xB7, u"•"}};
        for (const auto &[code, text] : others)
            QTest::addRow("0x%X", code) << code << QString::fromUtf16(text);
    }
    void symbolBytes()
    {
        QFETCH(int, byte);
        QFETCH(QString, unicode);
        QCOMPARE(QString(richtext::symbolToUnicode(uchar(byte))), unicode);
        QCOMPARE(int(richtext::unicodeToSymbol(unicode.at(0))), byte);
        // In a stored text, as a byte escape, a raw byte and a \u in the
        // private range, and back as the byte.
        const QByteArray hex = QByteArray::number(byte, 16).rightJustified(2, '0');
        read(wrap("\\f2\\'" + hex + "{\\f2\\u" + QByteArray::number(0xF000 + byte - 65536) + "?}"));
        QCOMPARE(m_doc.toPlainText(), unicode + unicode);
        const QTextCharFormat f = m_doc.begin().begin().fragment().charFormat();
        QVERIFY(richtext::isSymbolFont(f));
        QVERIFY(richtext::writeRtf(m_doc).contains("\\'" + hex + "\\'" + hex));
    }

    void symbolFontByNameOrCharset_data()
    {
        QTest::addColumn<QByteArray>("font");
        QTest::addColumn<bool>("symbol");
        QTest::newRow("Symbol, charset 2") << QByteArray("\\fnil\\fcharset2 Symbol;") << true;
        QTest::newRow("Symbol, charset 0") << QByteArray("\\froman\\fcharset0 Symbol;") << true;
        QTest::newRow("other name, charset 2") << QByteArray("\\ftech\\fcharset2 Symbol MT;") << true;
        QTest::newRow("pictures, charset 2") << QByteArray("\\fnil\\fcharset2 Wingdings;") << false;
        QTest::newRow("text font") << QByteArray("\\fswiss\\fcharset0 Arial;") << false;
    }
    void symbolFontByNameOrCharset()
    {
        QFETCH(QByteArray, font);
        QFETCH(bool, symbol);
        read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f5" + font + "}}\\f5 p\\'b0}");
        QCOMPARE(m_doc.toPlainText(), symbol ? u"π°"_qs : u"p°"_qs);
        QCOMPARE(richtext::isSymbolFont(m_doc.begin().begin().fragment().charFormat()), symbol);
    }

    void symbolFamilyWritesItsBytes()
    {
        // Text typed in the font "Symbol" itself: its characters are bytes.
        QTextDocument d;
        d.setDefaultFont(defaultFont());
        QTextCharFormat f;
        f.setFontFamilies({QStringLiteral("Symbol")});
        QTextCursor(&d).insertText(QStringLiteral("p=3"), f);
        const QByteArray rtf = richtext::writeRtf(d);
        QVERIFY2(rtf.contains("\\'70\\'3d\\'33"), rtf.constData());
        read(rtf);
        QCOMPARE(m_doc.toPlainText(), u"π=3"_qs);
        // A character the font does not have keeps its text.
        QTextCharFormat marked;
        richtext::setSymbolFont(marked);
        QTextCursor(&d).insertText(u"Äπ"_qs, marked);
        read(richtext::writeRtf(d));
        QVERIFY(m_doc.toPlainText().startsWith(u"Äπ"_qs));
    }

    void symbolCharactersShowInk()
    {
        // Each mapped character of the font "Symbol" is drawn, not left as
        // an empty box or blank.
        QTextCharFormat f;
        richtext::setSymbolFont(f);
        f.setFontPointSize(30);
        QString missing;
        for (int code = 0x21; code <= 0xFE; ++code) {
            const QChar c = richtext::symbolToUnicode(uchar(code));
            if (c.unicode() == code && code >= 0x7F)
                continue; // no equivalent
            QTextDocument d;
            QTextCursor(&d).insertText(QString(c), f);
            QImage img(80, 80, QImage::Format_RGB32);
            img.fill(Qt::white);
            {
                QPainter p(&img);
                d.drawContents(&p);
            }
            if (inkRows(img, 0, 80).first < 0)
                missing += c;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }

    void raisedAndLoweredTextRender()
    {
        QTextDocument d;
        d.setDocumentMargin(0);
        QTextCursor c(&d);
        c.insertText(QStringLiteral("xxxx"), sized(400));
        c.insertText(QStringLiteral("xxxx"), sized(320, 132));
        c.insertText(QStringLiteral("xxxx"), sized(384, -96));
        d.documentLayout()->documentSize();
        const QTextLine line = d.begin().layout()->lineAt(0);
        const int x4 = int(line.cursorToX(4)), x8 = int(line.cursorToX(8)), x12 = int(line.cursorToX(12));
        // Drawn line by line, as the print engine does, and as a whole.
        for (int way = 0; way < 2; ++way) {
            QImage img(x12 + 10, 120, QImage::Format_RGB32);
            img.fill(Qt::white);
            {
                QPainter p(&img);
                if (way == 0) {
                    line.draw(&p, QPointF(0, 30));
                } else {
                    p.translate(0, 30);
                    d.drawContents(&p);
                }
            }
            const auto normal = inkRows(img, 1, x4 - 1), raised = inkRows(img, x4 + 1, x8 - 1),
                       lowered = inkRows(img, x8 + 1, x12 - 1);
            // 132 twips at 96 dpi are 8.8 pixels.
            const QString rows = QStringLiteral("%1 %2 %3").arg(normal.second).arg(raised.second).arg(lowered.second);
            QVERIFY2(normal.second - raised.second >= 7, qPrintable(rows));
            QVERIFY2(lowered.second - normal.second >= 5, qPrintable(rows));
        }
    }

    void plainTextLoading_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("blocks");
        QTest::newRow("windows line ends")
            << u"Zeile 1\r\nZeile 2\r\n"_qs << QStringList{u"Zeile 1"_qs, u"Zeile 2"_qs, QString()};
        QTest::newRow("old line ends") << u"a\rb"_qs << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("empty") << QString() << QStringList{QString()};
        QTest::newRow("braces but no rtf") << u"{\\b nicht fett}"_qs << QStringList{u"{\\b nicht fett}"_qs};
        QTest::newRow("rtf in a string") << u"{\\rtf1 Gr\\'fc\\'dfe {\\b ä}}"_qs << QStringList{u"Grüße ä"_qs};
    }
    void plainTextLoading()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, blocks);
        QTextDocument d;
        d.setDefaultFont(QFont(QStringLiteral("Arial"), 14));
        QTextCursor(&d).insertText(QStringLiteral("alter Inhalt"));
        richtext::load(d, stored);
        QStringList got;
        for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
            got << b.text();
        QCOMPARE(got, blocks);
        QCOMPARE(d.defaultFont().pointSize(), 14);
        QCOMPARE(richtext::isRtf(stored), stored.startsWith(QLatin1String("{\\rtf")));
        QCOMPARE(richtext::isRtf(stored.toUtf8()), richtext::isRtf(stored));
    }

    void otherBytesAreReadAsPlainText()
    {
        QTextDocument d;
        d.setUndoRedoEnabled(true);
        QVERIFY(!richtext::readRtf(d, "Gr\xc3\xbc\xc3\x9f" "e"));
        QCOMPARE(d.toPlainText(), u"Grüße"_qs);
        QVERIFY(!richtext::readRtf(d, "Gr\xfc\xdf" "e \x80"));
        QCOMPARE(d.toPlainText(), u"Grüße €"_qs);
        // Loading is no step the user could undo.
        QVERIFY(richtext::readRtf(d, "{\\rtf1 A\\par B}"));
        QCOMPARE(d.toPlainText(), QStringLiteral("A\nB"));
        QVERIFY(!d.isUndoAvailable());
        QVERIFY(d.isUndoRedoEnabled());
    }
};

QTEST_MAIN(TestRtf)
#include "test_rtf.moc"
