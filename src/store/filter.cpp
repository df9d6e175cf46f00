#include "filter.h"

#include "storeerror.h"

#include <QDate>

namespace store {

struct Filter::Node
{
    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    // Compare: each side is a field (index >= 0) or a literal
    enum Op { Eq, Ne, Lt, Gt, Le, Ge } op = Eq;
    int lhsField = -1, rhsField = -1;
    QVariant lhsValue, rhsValue;
};

namespace {

struct Token
{
    enum Type { Ident, Number, String, Op, LParen, RParen, End } type = End;
    QString text;
};

class Parser
{
public:
    Parser(const QString &expr, const TableDef &def) : m_expr(expr), m_def(def) { tokenize(); }

    std::unique_ptr<Filter::Node> parse()
    {
        auto node = parseOr();
        if (peek().type != Token::End)
            fail();
        return node;
    }

private:
    [[noreturn]] void fail() const
    {
        throw StoreError(QStringLiteral("Ungültiger Filterausdruck „%1“ für die Tabelle %2.").arg(m_expr, m_def.fileName));
    }

    void tokenize()
    {
        const QString &s = m_expr;
        int i = 0;
        while (i < s.size()) {
            const QChar c = s[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('(')) {
                m_tokens.append({Token::LParen, QStringLiteral("(")});
                ++i;
            } else if (c == QLatin1Char(')')) {
                m_tokens.append({Token::RParen, QStringLiteral(")")});
                ++i;
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                QString text;
                ++i;
                for (;;) {
                    if (i >= s.size())
                        fail();
                    if (s[i] == c) {
                        if (i + 1 < s.size() && s[i + 1] == c) { // doubled quote
                            text += c;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    text += s[i++];
                }
                m_tokens.append({Token::String, text});
            } else if (c.isDigit() || (c == QLatin1Char('-') && i + 1 < s.size() && s[i + 1].isDigit())) {
                int j = i + 1;
                while (j < s.size() && s[j].isDigit())
                    ++j;
                m_tokens.append({Token::Number, s.mid(i, j - i)});
                i = j;
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                int j = i + 1;
                while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_')))
                    ++j;
                m_tokens.append({Token::Ident, s.mid(i, j - i)});
                i = j;
            } else if (QStringLiteral("=<>!").contains(c)) {
                QString op(c);
                if (i + 1 < s.size() && QStringLiteral("=>").contains(s[i + 1]) && c != QLatin1Char('='))
                    op += s[i + 1];
                if (op == QLatin1String("!"))
                    fail();
                m_tokens.append({Token::Op, op});
                i += op.size();
            } else {
                fail();
            }
        }
        m_tokens.append(Token{Token::End, QString()});
    }

    const Token &peek() const { return m_tokens[m_pos]; }
    Token take() { return m_tokens[m_pos++]; }
    bool isWord(const char *w) const
    {
        return peek().type == Token::Ident && peek().text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    std::unique_ptr<Filter::Node> binary(Filter::Node::Kind kind, std::unique_ptr<Filter::Node> l,
                                         std::unique_ptr<Filter::Node> r)
    {
        auto n = std::make_unique<Filter::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<Filter::Node> parseOr()
    {
        auto node = parseAnd();
        while (isWord("or")) {
            take();
            node = binary(Filter::Node::Or, std::move(node), parseAnd());
        }
        return node;
    }

    std::unique_ptr<Filter::Node> parseAnd()
    {
        auto node = parseNot();
        while (isWord("and")) {
            take();
            node = binary(Filter::Node::And, std::move(node), parseNot());
        }
        return node;
    }

    std::unique_ptr<Filter::Node> parseNot()
    {
        if (isWord("not")) {
            take();
            return binary(Filter::Node::Not, parseNot(), nullptr);
        }
        if (peek().type == Token::LParen) {
            take();
            auto node = parseOr();
            if (take().type != Token::RParen)
                fail();
            return node;
        }
        return parseCompare();
    }

    void operand(int &field, QVariant &value)
    {
        const Token t = take();
        switch (t.type) {
        case Token::Number:
            value = t.text.toLongLong();
            return;
        case Token::String:
            value = t.text;
            return;
        case Token::Ident:
            if (t.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
                value = true;
                return;
            }
            if (t.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
                value = false;
                return;
            }
            field = m_def.fieldIndex(t.text);
            if (field < 0)
                throw StoreError(QStringLiteral("Das Feld „%1“ gibt es in der Tabelle %2 nicht.").arg(t.text, m_def.fileName));
            return;
        default:
            fail();
        }
    }

    std::unique_ptr<Filter::Node> parseCompare()
    {
        auto n = std::make_unique<Filter::Node>();
        operand(n->lhsField, n->lhsValue);
        const Token op = take();
        if (op.type != Token::Op)
            fail();
        static const QStringList ops{QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"),
                                     QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
        int k = ops.indexOf(op.text);
        if (op.text == QLatin1String("!="))
            k = 1;
        if (k < 0)
            fail();
        n->op = Filter::Node::Op(k);
        operand(n->rhsField, n->rhsValue);
        return n;
    }

    QString m_expr;
    const TableDef &m_def;
    QVector<Token> m_tokens;
    int m_pos = 0;
};

// The value a field holds as the filter sees it: an empty field reads as the
// empty value of its type.
QVariant fieldValue(const TableDef &def, int field, const QVector<QVariant> &row)
{
    const QVariant &v = row[field];
    switch (def.fields[field].type) {
    case FieldType::Boolean:
        return v.isNull() ? false : v.toBool();
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
        return v.isNull() ? qint64(0) : v.toLongLong();
    case FieldType::Date:
        return v.toDate();
    default:
        return v.isNull() ? QString() : v.toString();
    }
}

bool isNumeric(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::LongLong || t == QMetaType::Bool || t == QMetaType::Int;
}

QDate asDate(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    const QString s = v.toString();
    QDate d = QDate::fromString(s, Qt::ISODate);
    return d.isValid() ? d : QDate::fromString(s, QStringLiteral("dd.MM.yyyy"));
}

int compare(const QVariant &a, const QVariant &b)
{
    if (a.typeId() == QMetaType::QDate || b.typeId() == QMetaType::QDate) {
        const QDate x = asDate(a), y = asDate(b);
        const qint64 jx = x.isValid() ? x.toJulianDay() : 0, jy = y.isValid() ? y.toJulianDay() : 0;
        return jx < jy ? -1 : (jx > jy ? 1 : 0);
    }
    if (isNumeric(a) && isNumeric(b)) {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isNumeric(a) || isNumeric(b)) { // a number against text: compare as numbers when the text is one
        bool okA = false, okB = false;
        const qint64 x = a.toString().toLongLong(&okA), y = b.toString().toLongLong(&okB);
        if (okA && okB)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    return a.toString().compare(b.toString());
}

bool eval(const Filter::Node &n, const TableDef &def, const QVector<QVariant> &row)
{
    switch (n.kind) {
    case Filter::Node::And:
        return eval(*n.left, def, row) && eval(*n.right, def, row);
    case Filter::Node::Or:
        return eval(*n.left, def, row) || eval(*n.right, def, row);
    case Filter::Node::Not:
        return !eval(*n.left, def, row);
    case Filter::Node::Compare:
        break;
    }
    const QVariant l = n.lhsField >= 0 ? fieldValue(def, n.lhsField, row) : n.lhsValue;
    const QVariant r = n.rhsField >= 0 ? fieldValue(def, n.rhsField, row) : n.rhsValue;
    const int c = compare(l, r);
    switch (n.op) {
    case Filter::Node::Eq: return c == 0;
    case Filter::Node::Ne: return c != 0;
    case Filter::Node::Lt: return c < 0;
    case Filter::Node::Gt: return c > 0;
    case Filter::Node::Le: return c <= 0;
    case Filter::Node::Ge: return c >= 0;
    }
    return false;
}

} // namespace

Filter::Filter(const QString &expression, const TableDef &def) : m_def(&def)
{
    m_root = Parser(expression, def).parse();
}

Filter::~Filter() = default;
Filter::Filter(Filter &&) noexcept = default;
Filter &Filter::operator=(Filter &&) noexcept = default;

bool Filter::matches(const QVector<QVariant> &row) const
{
    return eval(*m_root, *m_def, row);
}

} // namespace store
