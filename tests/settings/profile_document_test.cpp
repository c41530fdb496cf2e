#include "settings/profile_document.h"
#include "settings/stored_settings.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(ParseWholeNumber, ReadsDecimalAndTheThreeHexadecimalForms) {
    struct Case {
        std::string_view text;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"30", 30},
        {"-7", -7},
        {"+5", 5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$1F", 31},
        {"0x20", 32},
        {"0X1e", 30},
        {"$0", 0},
        {"0x0", 0},
        {"$FFFFFFFF", -1},
        {"0x00000000000000ff", 255},
        // Not whole numbers: the caller's default applies.
        {"", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"0x1G", std::nullopt},
        {"$-1", std::nullopt},
        {"0x+1", std::nullopt},
        {"+-5", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"h10", std::nullopt},
        {"\xEF\xBC\x91", std::nullopt}, // a full-width digit one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(ParseWholeNumber(c.text), c.expected);
    }
}

TEST(ProfileDocumentRead, FollowsTheWindowsProfileRules) {
    const ProfileDocument file("Stray=before any section\n"
                               "[ General ]\r\n"
                               "OutputDir =   /srv/video out  \t\r\n"
                               "; Comment=not a key\n"
                               "Quoted=\" keeps blanks \"\n"
                               "Single='x'\n"
                               "Lopsided=\"x'\n"
                               "Empty=\n"
                               "Twice=first\n"
                               "TWICE=second\n"
                               "no equals sign here\n"
                               "Equals=a=b\n"
                               "[general]\n"
                               "Later=hidden by the first section of the name\n"
                               "[Numbers]\n"
                               "Hex=$10\n"
                               "Bad=ten\n"
                               "On=2\n"
                               "Off=0x0\n"
                               "Word=yes\n");
    struct Case {
        std::string_view section, key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"general", "OUTPUTDIR", "/srv/video out"},
        {"General", "Quoted", " keeps blanks "},
        {"General", "Single", "x"},
        {"General", "Lopsided", "\"x'"},
        {"General", "Empty", ""},
        {"General", "twice", "first"},
        {"General", "Equals", "a=b"},
        {"General", "; Comment", std::nullopt},
        {"General", "no equals sign here", std::nullopt},
        {"General", "Later", std::nullopt},
        {"General", "Stray", std::nullopt},
        {"General", "Hex", std::nullopt},
        {"Missing", "OutputDir", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + std::string(c.key));
        EXPECT_EQ(file.ReadString(c.section, c.key), c.expected);
    }
    EXPECT_EQ(file.ReadString("General", "Missing", "fallback"), "fallback");
    EXPECT_EQ(file.ReadInteger("numbers", "hex", 7), 16);
    EXPECT_EQ(file.ReadInteger("Numbers", "Bad", 7), 7);
    EXPECT_EQ(file.ReadInteger("Numbers", "Missing", 7), 7);
    EXPECT_TRUE(file.ReadBool("Numbers", "On", false));
    EXPECT_FALSE(file.ReadBool("Numbers", "Off", true));
    EXPECT_TRUE(file.ReadBool("Numbers", "Word", true));
    EXPECT_FALSE(file.ReadBool("Numbers", "Word", false));
}

TEST(ProfileDocumentWrite, ChangesOneLineAndKeepsEveryOtherByteForByte) {
    struct Write {
        std::string_view section, key, value;
    };
    struct Case {
        const char* name;
        std::string before;
        std::vector<Write> writes;
        std::string after;
    };
    const Case cases[] = {
        {"empty file",
         "",
         {{"General", "OutputDir", "/out"}, {"Combo", "LetterBox", "1"}},
         "[General]\nOutputDir=/out\n[Combo]\nLetterBox=1\n"},
        {"replace in any letter case, keeping the file's spelling",
         "; mine\n[general]\n  outputdir =  /old  \nOther=1\n",
         {{"General", "OutputDir", "/new"}},
         "; mine\n[general]\noutputdir=/new\nOther=1\n"},
        {"new key below the section's last line, blank lines stay before the next section",
         "[A]\nx=1\n; about A\n\n\n[B]\ny=2\n",
         {{"a", "z", "3"}},
         "[A]\nx=1\n; about A\nz=3\n\n\n[B]\ny=2\n"},
        {"new section at the end of a file without a final line end",
         "[A]\nx=1",
         {{"B", "y", "2"}},
         "[A]\nx=1\n[B]\ny=2\n"},
        {"new key in the last section of a file without a final line end",
         "[A]\nx=1",
         {{"A", "y", "2"}},
         "[A]\nx=1\ny=2\n"},
        {"only the first of two equal keys changes",
         "[A]\nx=1\nX=2\n",
         {{"A", "x", "9"}},
         "[A]\nx=9\nX=2\n"},
        {"CR LF lines stay CR LF, new ones follow them",
         "[A]\r\nx=1\r\n",
         {{"A", "x", "5"}, {"A", "y", "6"}, {"B", "z", "7"}},
         "[A]\r\nx=5\r\ny=6\r\n[B]\r\nz=7\r\n"},
        {"a byte-order mark hides no section and stays in front",
         "\xEF\xBB\xBF[General]\r\nOutputDir=/old\r\n",
         {{"General", "OutputDir", "/new"}},
         "\xEF\xBB\xBF[General]\r\nOutputDir=/new\r\n"},
        {"a file holding only a byte-order mark",
         "\xEF\xBB\xBF",
         {{"A", "x", "1"}},
         "\xEF\xBB\xBF[A]\nx=1\n"},
        {"values that need quotes to come back whole",
         "",
         {{"S", "lead", " a"}, {"S", "quoted", "\"q\""}, {"S", "inner", "a \"b\" c"}},
         "[S]\nlead=\" a\"\nquoted=\"\"q\"\"\ninner=a \"b\" c\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileDocument file(c.before);
        for (const Write& w : c.writes) {
            EXPECT_TRUE(file.WriteString(w.section, w.key, w.value));
        }
        EXPECT_EQ(file.Text(), c.after);
    }
}

TEST(ProfileDocumentWrite, ValuesReadBackAsWritten) {
    const std::string values[] = {
        "",
        "/plain/path",
        " leading",
        "trailing ",
        "\ttab\t",
        "\"both\"",
        "'single'",
        "\"",
        "a=b;c[d]",
        "/home/jürgen/Видео",
        std::string("nul\0inside", 10),
    };
    ProfileDocument file("[Keep]\nk=v\n");
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(file.WriteString("General", "OutputDir", value));
        EXPECT_EQ(ProfileDocument(file.Text()).ReadString("General", "OutputDir"), value);
    }
    EXPECT_EQ(ProfileDocument(file.Text()).ReadString("Keep", "k"), "v");
}

TEST(ProfileDocumentWrite, RefusesAValueThatWouldSpillOntoAnotherLine) {
    const std::string before = "[General]\nOutputDir=/old\n";
    ProfileDocument file(before);
    EXPECT_FALSE(file.WriteString("General", "OutputDir", "/x\n[Combo]\nOutputFormat=5"));
    EXPECT_FALSE(file.WriteString("General", "OutputDir", "/x\r"));
    EXPECT_EQ(file.Text(), before);
}

TEST(ProfileDocument, BinaryGarbageIsKeptAndTheKeysStillWork) {
    std::mt19937 random(6);
    // Heavy on the characters the parser looks at.
    const std::string alphabet = std::string("[]=;\r\n\t \0\xff", 10) + "ComboLetterBox";
    std::string garbage;
    for (int i = 0; i < 200000; ++i) {
        garbage += (random() % 3 == 0) ? static_cast<char>(random() % 256)
                                       : alphabet[random() % alphabet.size()];
    }
    ProfileDocument file(garbage);
    const StoredSettings read = ReadStoredSettings(file);
    (void)read;

    StoredSettings wanted;
    wanted.outputDir = "/out";
    wanted.shutDown = false;
    wanted.outputFormat = 12;
    wanted.letterBox = 0;
    wanted.comboDropItem = 40;
    ASSERT_TRUE(WriteStoredSettings(file, wanted));
    const std::string text = file.Text();
    EXPECT_EQ(text.substr(0, garbage.size()), garbage);

    const StoredSettings back = ReadStoredSettings(ProfileDocument(text));
    EXPECT_EQ(back.outputDir, wanted.outputDir);
    EXPECT_EQ(back.shutDown, wanted.shutDown);
    EXPECT_EQ(back.outputFormat, wanted.outputFormat);
    EXPECT_EQ(back.letterBox, wanted.letterBox);
    EXPECT_EQ(back.comboDropItem, wanted.comboDropItem);
}

TEST(StoredSettings, FreshFileHoldsSixKeysInThreeSectionsInWritingOrder) {
    StoredSettings values;
    values.outputDir = "/data/Converted";
    values.overwriteExistingFile = false;
    values.shutDown = false;
    values.outputFormat = 0;
    values.letterBox = 1;
    values.comboDropItem = 30;
    ProfileDocument file;
    ASSERT_TRUE(WriteStoredSettings(file, values));
    EXPECT_EQ(file.Text(), "[General]\n"
                           "OutputDir=/data/Converted\n"
                           "[CheckBoxes]\n"
                           "OverwriteExistingFile=0\n"
                           "ShutDown=0\n"
                           "[Combo]\n"
                           "OutputFormat=0\n"
                           "LetterBox=1\n"
                           "ComboDropItem=30\n");
}

TEST(StoredSettings, MissingKeysGiveTheDefaultsBothBooleansOn) {
    const StoredSettings read = ReadStoredSettings(ProfileDocument("[Combo]\nLetterBox=0\n"));
    EXPECT_EQ(read.outputDir, "");
    EXPECT_TRUE(read.overwriteExistingFile);
    EXPECT_TRUE(read.shutDown);
    EXPECT_EQ(read.outputFormat, 1);
    EXPECT_EQ(read.letterBox, 0);
    EXPECT_EQ(read.comboDropItem, 1);
}

TEST(StoredSettings, AnOutputFolderWithALineBreakEndsTheSaveBeforeAnythingIsWritten) {
    StoredSettings values;
    values.outputDir = "/evil\n[Combo]\nOutputFormat=7";
    ProfileDocument file("[Combo]\nOutputFormat=2\n");
    EXPECT_FALSE(WriteStoredSettings(file, values));
    EXPECT_EQ(file.Text(), "[Combo]\nOutputFormat=2\n");
}

TEST(SelectorIndexOrDefault, OnlyIndicesTheSelectorHasAreKept) {
    EXPECT_EQ(SelectorIndexOrDefault(0, 19, 1), 0);
    EXPECT_EQ(SelectorIndexOrDefault(3, 19, 1), 3); // a separator entry is an entry
    EXPECT_EQ(SelectorIndexOrDefault(18, 19, 1), 18);
    EXPECT_EQ(SelectorIndexOrDefault(19, 19, 1), 1);
    EXPECT_EQ(SelectorIndexOrDefault(-1, 19, 1), 1);
    EXPECT_EQ(SelectorIndexOrDefault(INT32_MIN, 2, 1), 1);
}

} // namespace
