#include "platform/Variant.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <locale>
#include <type_traits>

namespace {

// A numeric punctuation that uses a comma, as a German user locale does.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
};

} // namespace

// A value is made only from a held type, and only when asked for.
static_assert(std::is_constructible_v<Variant, bool>);
static_assert(std::is_constructible_v<Variant, std::int32_t>);
static_assert(std::is_constructible_v<Variant, float>);
static_assert(std::is_constructible_v<Variant, std::string>);
static_assert(std::is_constructible_v<Variant, const char*>);
static_assert(!std::is_convertible_v<bool, Variant>);
static_assert(!std::is_convertible_v<std::string, Variant>);
// A pointer is never a bool, and a double or a wider integer never a float or an int.
static_assert(!std::is_constructible_v<Variant, const int*>);
static_assert(!std::is_constructible_v<Variant, const Variant*>);
static_assert(!std::is_constructible_v<Variant, void*>);
static_assert(!std::is_constructible_v<Variant, double>);
static_assert(!std::is_constructible_v<Variant, std::int64_t>);
static_assert(!std::is_constructible_v<Variant, std::size_t>);

TEST(Variant, TextForms) {
    EXPECT_EQ(Variant().toText(), "");
    EXPECT_EQ(Variant(true).toText(), "true");
    EXPECT_EQ(Variant(false).toText(), "false");
    EXPECT_EQ(Variant(std::int32_t{-12}).toText(), "-12");
    EXPECT_EQ(Variant(0.5f).toText(), "0.5");
    EXPECT_EQ(Variant(0.1f).toText(), "0.1");
    EXPECT_EQ(Variant(2.0f).toText(), "2");
    EXPECT_EQ(Variant("Format525_29_97Hz_2To1").toText(), "Format525_29_97Hz_2To1");
}

TEST(Variant, FloatTextIgnoresTheUserLocale) {
    const std::locale previousGlobal =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const char* previousC = std::setlocale(LC_NUMERIC, nullptr);
    const std::string savedC = previousC ? previousC : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // used when the machine has it
    const QLocale previousQt;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    EXPECT_EQ(Variant(0.5f).toText(), "0.5");
    EXPECT_EQ(Variant(-1.25f).toText(), "-1.25");
    float parsed = 0;
    EXPECT_EQ(Variant("0.5").toFloat(parsed), S_OK);
    EXPECT_FLOAT_EQ(parsed, 0.5f);

    QLocale::setDefault(previousQt);
    std::setlocale(LC_NUMERIC, savedC.c_str());
    std::locale::global(previousGlobal);
}

TEST(Variant, EqualAsText) {
    EXPECT_TRUE(Variant(std::int32_t{4}).equalsAsText(Variant("4")));
    EXPECT_TRUE(Variant(0.5f).equalsAsText(Variant("0.5")));
    EXPECT_FALSE(Variant(std::int32_t{1}).equalsAsText(Variant("1.0")));
    EXPECT_FALSE(Variant("True").equalsAsText(Variant(true)));
}

TEST(Variant, ConversionsFromDocumentText) {
    bool flag = false;
    EXPECT_EQ(Variant("true").toBool(flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(Variant("FALSE").toBool(flag), S_OK);
    EXPECT_FALSE(flag);
    EXPECT_EQ(Variant("-1").toBool(flag), S_OK);
    EXPECT_TRUE(flag);

    std::int32_t number = 7;
    EXPECT_EQ(Variant("+4").toInt32(number), S_OK);
    EXPECT_EQ(number, 4);
    EXPECT_EQ(Variant(" -12 ").toInt32(number), S_OK);
    EXPECT_EQ(number, -12);
}

TEST(Variant, BadTextLeavesTheOutputAlone) {
    bool flag = true;
    EXPECT_EQ(Variant("yes please").toBool(flag), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(flag);

    std::int32_t number = 7;
    EXPECT_EQ(Variant("4dB").toInt32(number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant("").toInt32(number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant("nan").toInt32(number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant("99999999999").toInt32(number), DISP_E_OVERFLOW);
    EXPECT_EQ(number, 7);
}
