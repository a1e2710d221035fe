// The one set of escaping rules, for the terminal, the window and JSON.

#include "textescape.h"
#include "jsonwriter.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace qelv;

namespace {

QString ch(char16_t c) {
    return QString(QChar(c));
}

struct Row {
    QString in;
    QString terminal;
    QString display;
    QString json;  // without the quotes
};

// The rows that must come out unchanged are as important as the escaped ones: Japanese,
// printable ASCII, and everything from U+00A0 up.
const Row kRows[] = {
    {"\r\nOK\r\n", "\\r\\nOK\\r\\n", "\nOK\n", "\\u000D\\u000AOK\\u000D\\u000A"},
    {"a\\b\"c", "a\\\\b\"c", "a\\b\"c", "a\\\\b\\\"c"},
    {ch(0) + "\x1b[2J\t", "\\x00\\x1B[2J\\t", "\\x00\\x1B[2J\\x09", "\\u0000\\u001B[2J\\u0009"},
    {ch(0x7F) + ch(0x80) + ch(0x9B) + ch(0x9F), "\\x7F\\x80\\x9B\\x9F", "\\x7F\\x80\\x9B\\x9F",
     "\\u007F\\u0080\\u009B\\u009F"},
    {"\rX\n\r", "\\rX\\n\\r", "\nX\n\n", "\\u000DX\\u000A\\u000D"},
    {"使用中です", "使用中です", "使用中です", "使用中です"},
    {"ATI4 <b>&amp;</b> ~", "ATI4 <b>&amp;</b> ~", "ATI4 <b>&amp;</b> ~", "ATI4 <b>&amp;</b> ~"},
    {ch(0xA0) + ch(0xAD) + ch(0xE9) + ch(0xFF) + ch(0x30AB),
     ch(0xA0) + ch(0xAD) + ch(0xE9) + ch(0xFF) + ch(0x30AB),
     ch(0xA0) + ch(0xAD) + ch(0xE9) + ch(0xFF) + ch(0x30AB),
     ch(0xA0) + ch(0xAD) + ch(0xE9) + ch(0xFF) + ch(0x30AB)},
    {"", "", "", ""},
};

TEST(TextEscape, EachRuleEscapesControlsAndNothingElse) {
    for (const Row& row : kRows) {
        const std::string name = row.terminal.toStdString();
        EXPECT_EQ(escapeForTerminal(row.in), row.terminal) << name;
        EXPECT_EQ(escapeForDisplay(row.in), row.display) << name;
        EXPECT_EQ(jsonStringLiteral(row.in), u'"' + row.json + u'"') << name;
    }
}

TEST(TextEscape, NoControlCharacterSurvivesAnyRule) {
    for (char16_t c = 0; c < 0x200; ++c) {
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        EXPECT_EQ(isControlCharacter(c), control) << int(c);
        for (const QString& out : {escapeForTerminal(ch(c)), jsonStringLiteral(ch(c))})
            for (const QChar e : out) EXPECT_FALSE(isControlCharacter(e.unicode())) << int(c);
        for (const QChar e : escapeForDisplay(ch(c)))
            EXPECT_TRUE(e == u'\n' || !isControlCharacter(e.unicode())) << int(c);
    }
}

TEST(JsonWriter, EveryCharacterOfLatin1AndJapaneseComesBackExactly) {
    QString all;
    for (char16_t c = 0; c < 0x100; ++c) all += ch(c);
    all += "ポート \"COM1\" \\";
    const QJsonObject object{{"text", all},
                             {"row", 16},
                             {"none", QJsonValue::Null},
                             {"list", QJsonArray{true, false, 1.5, -3}},
                             {"nested", QJsonObject{{"k\x7f", "v"}}}};
    const QByteArray json = compactJson(object);
    QJsonParseError error;
    const QJsonDocument back = QJsonDocument::fromJson(json, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
    EXPECT_EQ(back.object(), object);
    EXPECT_TRUE(json.contains("\"row\":16,"));
    EXPECT_TRUE(json.contains("ポート"));  // readable, not \u escapes
    for (const QChar c : QString::fromUtf8(json)) EXPECT_FALSE(isControlCharacter(c.unicode()));
}

}  // namespace
