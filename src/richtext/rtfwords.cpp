// The control words the RTF reader knows, and what each of them is.

#include "rtfreader.h"

#include <QTextListFormat>

namespace richtext::reader {

using namespace internal;

const std::unordered_map<std::string_view, WordInfo> &words()
{
    static const std::unordered_map<std::string_view, WordInfo> map = [] {
        std::unordered_map<std::string_view, WordInfo> m;
        auto add = [&m](std::string_view name, Word w, int value = 0) { m.emplace(name, WordInfo{w, value}); };
        add("fonttbl", Word::FontTable);
        add("colortbl", Word::ColorTable);
        // Destinations whose text is not part of the document.
        for (std::string_view n :
             {"info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
              "footerf", "footnote", "annotation", "atnid", "atnauthor", "atndate", "atnref", "atrfstart", "atrfend",
              "fldinst", "pntext", "listtext", "pntxta", "pntxtb", "txe", "xe", "tc", "rxe", "bkmkstart", "bkmkend",
              "template", "filetbl", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "themedata",
              "colorschememapping", "datastore", "latentstyles", "xmlnstbl", "nonshppict", "shp", "shpinst", "shprslt",
              "sp", "sn", "sv", "private", "pgdsctbl", "docvar", "userprops", "objdata", "objclass", "objname",
              "blipuid", "falt", "panose", "comment", "author", "title", "subject", "operator", "keywords",
              "doccomm", "company", "category", "creatim", "revtim", "printim", "buptim", "manager", "hlinkbase",
              "mmathPr", "wgrffmtfilter", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
              "background", "fchars", "lchars", "protusertbl", "password", "passwordhash", "do", "bookmark",
              "formfield", "datafield", "fname", "ffdeftext", "ffformat", "ffhelptext", "ffstattext", "ffentrymcr",
              "ffexitmcr", "fontemb", "fontfile", "listpicture", "oldcprops", "oldpprops", "oldsprops", "oldtprops",
              "pnseclvl", "defchp", "defpap"})
            add(n, Word::SkipDest);
        add("fldrslt", Word::TextDest);
        add("pn", Word::Numbering);
        add("upr", Word::Upr);
        add("ud", Word::Ud);
        add("deff", Word::Deff);
        add("bin", Word::Bin);

        add("plain", Word::Plain);
        add("b", Word::Bold);
        add("i", Word::Italic);
        for (std::string_view n : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                                   "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                                   "ulwave"})
            add(n, Word::Underline);
        add("ulnone", Word::UnderlineNone);
        add("strike", Word::Strike);
        add("striked", Word::Strike);
        add("fs", Word::FontSize);
        add("f", Word::Font);
        add("cf", Word::Colour);
        add("cb", Word::Background);
        add("highlight", Word::Background);
        add("up", Word::Up);
        add("dn", Word::Down);
        add("super", Word::Super);
        add("sub", Word::Sub);
        add("nosupersub", Word::NoSuperSub);
        add(heightWord, Word::HeightTwips);
        add(offsetWord, Word::OffsetTwips);
        add("uc", Word::Uc);
        add("u", Word::Unicode);

        add("pard", Word::Pard);
        add("ql", Word::Ql);
        add("qc", Word::Qc);
        add("qr", Word::Qr);
        add("qj", Word::Qj);
        add("li", Word::Li);
        add("ri", Word::Ri);
        add("fi", Word::Fi);
        add("sb", Word::Sb);
        add("sa", Word::Sa);
        add(levelWord, Word::Level);
        for (std::string_view n : {"par", "sect", "page", "row", "nestrow"})
            add(n, Word::Par);
        add("line", Word::Line);
        add("tab", Word::Tab);
        add("cell", Word::Cell);
        add("nestcell", Word::Cell);
        add("pnlvlblt", Word::Bullet);
        add("pnlvlbody", Word::Numbered);
        add("pndec", Word::NumberStyle, QTextListFormat::ListDecimal);
        add("pnucltr", Word::NumberStyle, QTextListFormat::ListUpperAlpha);
        add("pnlcltr", Word::NumberStyle, QTextListFormat::ListLowerAlpha);
        add("pnucrm", Word::NumberStyle, QTextListFormat::ListUpperRoman);
        add("pnlcrm", Word::NumberStyle, QTextListFormat::ListLowerRoman);
        add("ls", Word::ListOverride);

        add("red", Word::Red);
        add("green", Word::Green);
        add("blue", Word::Blue);
        add("fcharset", Word::Charset);

        add("emdash", Word::Char, 0x2014);
        add("endash", Word::Char, 0x2013);
        add("bullet", Word::Char, 0x2022);
        add("lquote", Word::Char, 0x2018);
        add("rquote", Word::Char, 0x2019);
        add("ldblquote", Word::Char, 0x201C);
        add("rdblquote", Word::Char, 0x201D);
        add("emspace", Word::Char, 0x2003);
        add("enspace", Word::Char, 0x2002);
        add("qmspace", Word::Char, 0x2005);
        add("zwj", Word::Char, 0x200D);
        add("zwnj", Word::Char, 0x200C);
        add("ltrmark", Word::Char, 0x200E);
        add("rtlmark", Word::Char, 0x200F);
        return m;
    }();
    return map;
}

} // namespace richtext::reader
