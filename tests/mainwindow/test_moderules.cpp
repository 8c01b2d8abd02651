// The rules that enable "Rename!", the naming mode each tab and option picks and the options
// snapshot, as functions of the mode tabs' inputs: tables of values, no window.
#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mainwindow/modeinputs.h"
#include "mainwindow/modetable.h"

namespace {

using mainwindow::ModeInputs;
using mainwindow::NumberInput;
using runs::NamingMode;

// One input named after its control and the value to give it: a text for a text box (a
// number box's repair keeps it), 0/1/2 for a check box, and any value for an option button
// (it is chosen and the others of its group are not).
using Input = std::pair<const char*, const char*>;

using Setter = std::function<void(ModeInputs&, const QString&)>;

const std::map<std::string, Setter>& setters() {
    const auto text = [](QString ModeInputs::*field) {
        return [field](ModeInputs& in, const QString& value) { in.*field = value; };
    };
    const auto number = [](NumberInput ModeInputs::*field) {
        return [field](ModeInputs& in, const QString& value) { in.*field = {value, value}; };
    };
    const auto check = [](int ModeInputs::*field) {
        return [field](ModeInputs& in, const QString& value) { in.*field = value.toInt(); };
    };
    // An option button of a group of two: chosen, its partner not.
    const auto option = [](bool ModeInputs::*chosen, bool ModeInputs::*partner) {
        return [chosen, partner](ModeInputs& in, const QString&) {
            in.*chosen = true;
            if (partner) {
                in.*partner = false;
            }
        };
    };
    static const std::map<std::string, Setter> map = [&] {
        std::map<std::string, Setter> m{
            {"chkProcessFilename", check(&ModeInputs::processFilename)},
            {"chkProcessFileExt", check(&ModeInputs::processFileExt)},
            {"optReplaceSingle", option(&ModeInputs::replaceSingle, &ModeInputs::replaceBatch)},
            {"optReplaceBatch", option(&ModeInputs::replaceBatch, &ModeInputs::replaceSingle)},
            {"txtFind", text(&ModeInputs::find)},
            {"txtReplace", text(&ModeInputs::replace)},
            {"chkCaseSensitive", check(&ModeInputs::caseSensitive)},
            {"chkReplaceMode", check(&ModeInputs::swapMode)},
            {"txtReplaceStart", number(&ModeInputs::replaceStart)},
            {"txtReplaceCount", number(&ModeInputs::replaceCount)},
            {"chkExceptionsEnabled", check(&ModeInputs::exceptionsEnabled)},
            {"optAttrib_Attributes",
             option(&ModeInputs::attribAttributes, &ModeInputs::attribDate)},
            {"optAttrib_Date", option(&ModeInputs::attribDate, &ModeInputs::attribAttributes)},
            {"chkDateCreated", check(&ModeInputs::dateCreated)},
            {"chkDateAccessed", check(&ModeInputs::dateAccessed)},
            {"chkDateModified", check(&ModeInputs::dateModified)},
            {"optAdd", option(&ModeInputs::add, &ModeInputs::crop)},
            {"optCrop", option(&ModeInputs::crop, &ModeInputs::add)},
            {"txtAdd", text(&ModeInputs::addText)},
            {"txtAddPos", number(&ModeInputs::addPos)},
            {"optAddBeginning", [](ModeInputs& in, const QString&) { in.addFromEnd = false; }},
            {"optAddEnding", [](ModeInputs& in, const QString&) { in.addFromEnd = true; }},
            {"txtCropPos", number(&ModeInputs::cropPos)},
            {"txtCropNumber", number(&ModeInputs::cropNumber)},
            {"optCropBeginning", [](ModeInputs& in, const QString&) { in.cropFromEnd = false; }},
            {"optCropEnding", [](ModeInputs& in, const QString&) { in.cropFromEnd = true; }},
            {"chkSpaceBeginning", check(&ModeInputs::spaceBeginning)},
            {"chkSpaceEnd", check(&ModeInputs::spaceEnd)},
            {"chkSpaceShrink", check(&ModeInputs::spaceShrink)},
            {"chkEnumTab_Enum", option(&ModeInputs::enumNumbering, &ModeInputs::enumNormalize)},
            {"chkEnumTab_Normalize",
             option(&ModeInputs::enumNormalize, &ModeInputs::enumNumbering)},
            {"txtEnumFormat", text(&ModeInputs::enumFormat)},
            {"txtEnumStart", number(&ModeInputs::enumStart)},
            {"txtEnumStep", number(&ModeInputs::enumStep)},
            {"txtEnumZeros", number(&ModeInputs::enumZeros)},
            {"chkEnumAutoZeros", check(&ModeInputs::enumAutoZeros)},
            {"txtNormalize", number(&ModeInputs::normalizeWidth)},
            {"chkFormatTab_Format", option(&ModeInputs::formatFormat, &ModeInputs::formatDetect)},
            {"chkFormatTab_Detect", option(&ModeInputs::formatDetect, &ModeInputs::formatFormat)},
            {"txtFormat", text(&ModeInputs::format)},
            {"txtFormatParts", text(&ModeInputs::formatParts)},
            {"txtMp3Format", text(&ModeInputs::mp3Format)},
        };
        const char* attributes[] = {"chkR", "chkH", "chkS", "chkA"};
        for (size_t i = 0; i < 4; ++i) {
            m[attributes[i]] = [i](ModeInputs& in, const QString& value) {
                in.attributes[i] = value.toInt();
            };
        }
        for (int i = 0; i < 7; ++i) {
            m["Case1_" + std::to_string(i)] = [i](ModeInputs& in, const QString&) { in.case1 = i; };
        }
        for (int i = 0; i < 6; ++i) {
            m["Case2_" + std::to_string(i)] = [i](ModeInputs& in, const QString&) { in.case2 = i; };
        }
        return m;
    }();
    return map;
}

ModeInputs inputsOf(const std::vector<Input>& inputs, ModeInputs in = {}) {
    for (const auto& [name, value] : inputs) {
        const auto setter = setters().find(name);
        EXPECT_NE(setter, setters().end()) << name;
        if (setter != setters().end()) {
            setter->second(in, QString::fromUtf8(value));
        }
    }
    return in;
}

bool blocks(const char* tabKey, const ModeInputs& inputs) {
    const mainwindow::ModeTab* tab = mainwindow::modeTab(QString::fromLatin1(tabKey));
    EXPECT_NE(tab, nullptr) << tabKey;
    return tab && tab->blocks(inputs);
}

TEST(ModeRulesTest, EachTabsRuleEnablesOrDisablesRename) {
    const struct {
        const char* what;
        const char* tab;
        std::vector<Input> inputs;
        bool enabled;
    } cases[] = {
        // Replace, single: an empty find text, or a replace text equal to it.
        {"find differs",
         "Replace",
         {{"optReplaceSingle", ""}, {"txtFind", "a"}, {"txtReplace", "b"}},
         true},
        {"empty find",
         "Replace",
         {{"optReplaceSingle", ""}, {"txtFind", ""}, {"txtReplace", "x"}},
         false},
        {"same text",
         "Replace",
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "abc"},
          {"chkCaseSensitive", "1"}},
         false},
        {"case only, insensitive",
         "Replace",
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "ABC"},
          {"chkCaseSensitive", "0"}},
         false},
        {"case only, sensitive",
         "Replace",
         {{"optReplaceSingle", ""},
          {"txtFind", "abc"},
          {"txtReplace", "ABC"},
          {"chkCaseSensitive", "1"}},
         true},
        {"blank find is text",
         "Replace",
         {{"optReplaceSingle", ""}, {"txtFind", " "}, {"txtReplace", ""}},
         true},
        {"batch ignores the single inputs",
         "Replace",
         {{"optReplaceBatch", ""}, {"txtFind", ""}},
         true},
        // Case: "No Change" twice, unless exceptions are used.
        {"no change twice",
         "Case",
         {{"Case1_0", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "0"}},
         false},
        {"no change with exceptions",
         "Case",
         {{"Case1_0", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "1"}},
         true},
        {"extension changes",
         "Case",
         {{"Case1_0", ""}, {"Case2_1", ""}, {"chkExceptionsEnabled", "0"}},
         true},
        {"name changes",
         "Case",
         {{"Case1_3", ""}, {"Case2_0", ""}, {"chkExceptionsEnabled", "0"}},
         true},
        // Attributes and dates: something must change.
        {"all attributes grey",
         "Attrib",
         {{"optAttrib_Attributes", ""}, {"chkR", "2"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "2"}},
         false},
        {"one attribute cleared",
         "Attrib",
         {{"optAttrib_Attributes", ""}, {"chkR", "0"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "2"}},
         true},
        {"one attribute set",
         "Attrib",
         {{"optAttrib_Attributes", ""}, {"chkR", "2"}, {"chkH", "2"}, {"chkS", "2"}, {"chkA", "1"}},
         true},
        {"no time chosen",
         "Attrib",
         {{"optAttrib_Date", ""},
          {"chkR", "0"},
          {"chkDateCreated", "0"},
          {"chkDateAccessed", "0"},
          {"chkDateModified", "0"}},
         false},
        {"modified time",
         "Attrib",
         {{"optAttrib_Date", ""},
          {"chkR", "2"},
          {"chkDateCreated", "0"},
          {"chkDateAccessed", "0"},
          {"chkDateModified", "1"}},
         true},
        // Add: a text and a position not below 0 (the position's leading number counts).
        {"add", "AddCrop", {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", "0"}}, true},
        {"add nothing", "AddCrop", {{"optAdd", ""}, {"txtAdd", ""}, {"txtAddPos", "0"}}, false},
        {"add without position",
         "AddCrop",
         {{"optAdd", ""}, {"txtAdd", "x"}, {"txtAddPos", ""}},
         false},
        // Crop: a number other than 0 and a position not below 0.
        {"crop", "AddCrop", {{"optCrop", ""}, {"txtCropNumber", "2"}, {"txtCropPos", "0"}}, true},
        {"crop zero",
         "AddCrop",
         {{"optCrop", ""}, {"txtCropNumber", "0"}, {"txtCropPos", "0"}},
         false},
        {"crop zero written long",
         "AddCrop",
         {{"optCrop", ""}, {"txtCropNumber", "00"}, {"txtCropPos", "1"}},
         false},
        {"crop no number",
         "AddCrop",
         {{"optCrop", ""}, {"txtCropNumber", ""}, {"txtCropPos", "0"}},
         false},
        {"crop without position",
         "AddCrop",
         {{"optCrop", ""}, {"txtCropNumber", "1"}, {"txtCropPos", ""}},
         false},
        {"crop ignores the add inputs",
         "AddCrop",
         {{"optCrop", ""}, {"txtAdd", ""}, {"txtCropNumber", "1"}, {"txtCropPos", "3"}},
         true},
        // Mp3: a pattern with at least one tag token, in any letter case.
        {"tag tokens in lower case", "Mp3", {{"txtMp3Format", "<artist> - <title>"}}, true},
        {"one late token", "Mp3", {{"txtMp3Format", "x<bpm>"}}, true},
        {"no pattern", "Mp3", {{"txtMp3Format", ""}}, false},
        {"literal pattern", "Mp3", {{"txtMp3Format", "song"}}, false},
        {"near token", "Mp3", {{"txtMp3Format", "<ARTISTS>"}}, false},
        // Format: a named token, or a part marker both patterns hold; parts defined once only
        // and never "<%0>".
        {"name token, lower case",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<name>"}, {"txtFormatParts", ""}},
         true},
        {"no pattern",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", ""}, {"txtFormatParts", ""}},
         false},
        {"literal only",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "photo"}, {"txtFormatParts", ""}},
         false},
        {"unknown word",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAMES>"}, {"txtFormatParts", ""}},
         false},
        {"parts used",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>-<%2>"}, {"txtFormatParts", "<%2> <%1>"}},
         true},
        {"part not defined",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%3>"}, {"txtFormatParts", "<%1> <%2>"}},
         false},
        {"part defined twice",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>-<%2>"}, {"txtFormatParts", "<%1> <%1>"}},
         false},
        {"unused part defined twice",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<%1>"}, {"txtFormatParts", "<%1> <%2>-<%2>"}},
         false},
        {"token with unused parts defined twice",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAME>"}, {"txtFormatParts", "<%2>-<%2>"}},
         true},
        {"part zero",
         "Format",
         {{"chkFormatTab_Format", ""}, {"txtFormat", "<NAME>"}, {"txtFormatParts", "<%0>"}},
         false},
        {"detection needs nothing",
         "Format",
         // The pattern box chooses "Format Filename" when written, so it comes first.
         {{"txtFormat", ""}, {"chkFormatTab_Detect", ""}},
         true},
        // Enumeration: the pattern holds "<ENUM>"; start, step >= 1 and a zero width that
        // is a whole number other than 0.
        {"enumerate",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<enum>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         true},
        {"no enum token",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "file"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         false},
        {"no start",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", ""},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "3"}},
         false},
        {"step 0",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "0"},
          {"txtEnumZeros", "3"}},
         false},
        {"no step",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", ""},
          {"txtEnumZeros", "3"}},
         false},
        {"zero width with auto",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "0"},
          {"chkEnumAutoZeros", "1"}},
         false},
        {"no width",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", ""}},
         false},
        {"pasted width",
         "Enum",
         {{"chkEnumTab_Enum", ""},
          {"txtEnumFormat", "<ENUM>"},
          {"txtEnumStart", "1"},
          {"txtEnumStep", "1"},
          {"txtEnumZeros", "x"}},
         false},
        {"normalize",
         "Enum",
         // The pattern box chooses numbering when written, so it comes first.
         {{"txtEnumFormat", ""}, {"chkEnumTab_Normalize", ""}, {"txtNormalize", "3"}},
         true},
        {"normalize without width",
         "Enum",
         {{"chkEnumTab_Normalize", ""}, {"txtNormalize", ""}},
         false},
        // Space: at least one trimming.
        {"no trimming",
         "misc",
         {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "0"}},
         false},
        {"shrink only",
         "misc",
         {{"chkSpaceBeginning", "0"}, {"chkSpaceEnd", "0"}, {"chkSpaceShrink", "1"}},
         true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!blocks(c.tab, inputsOf(c.inputs)), c.enabled) << c.what;
    }
}

TEST(ModeRulesTest, TabAndOptionPickTheMode) {
    const struct {
        const char* tab;
        std::vector<Input> inputs;
        NamingMode mode;
        bool walksDirs;
    } cases[] = {
        {"Replace", {{"optReplaceSingle", ""}}, NamingMode::Replace, true},
        {"Replace", {{"optReplaceBatch", ""}}, NamingMode::BatchReplace, true},
        {"Case", {}, NamingMode::Case, true},
        {"AddCrop", {}, NamingMode::AddCrop, true},
        {"Mp3", {}, NamingMode::Mp3, false},
        {"Enum", {{"chkEnumTab_Enum", ""}}, NamingMode::Enum, true},
        {"Enum", {}, NamingMode::Normalize, true},
        {"Format", {{"chkFormatTab_Detect", ""}}, NamingMode::DetectType, false},
        {"Format", {}, NamingMode::Format, true},
        {"misc", {}, NamingMode::Misc, true},
        {"Attrib", {}, NamingMode::None, true},
        {"replace", {}, NamingMode::None, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        const NamingMode mode =
            mainwindow::namingMode(QString::fromLatin1(c.tab), inputsOf(c.inputs));
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(runs::modeWalksDirectories(mode), c.walksDirs);
    }
}

TEST(ModeRulesTest, SnapshotTakesScopeAndReplaceOptionsFromTheInputs) {
    const ModeInputs inputs = inputsOf({{"chkProcessFilename", "1"},
                                        {"chkProcessFileExt", "0"},
                                        {"txtFind", "a b"},
                                        {"txtReplace", ""},
                                        {"chkCaseSensitive", "1"},
                                        {"chkReplaceMode", "1"},
                                        {"txtReplaceStart", "3"},
                                        {"txtReplaceCount", "0"}});
    const engine::Options options = mainwindow::modeOptions(inputs, NamingMode::Replace);
    EXPECT_TRUE(options.scope.processFilename);
    EXPECT_FALSE(options.scope.processFileExt);
    EXPECT_EQ(options.replace.find, QStringLiteral("a b"));
    EXPECT_EQ(options.replace.replace, QString());
    EXPECT_EQ(options.replace.caseSensitive, 1);
    EXPECT_EQ(options.replace.swapMode, 1);
    EXPECT_EQ(options.replace.start, 3);
    EXPECT_EQ(options.replace.count, 0);
}

TEST(ModeRulesTest, SnapshotTakesCaseAddCropAndSpaceOptionsFromTheInputs) {
    ModeInputs inputs = inputsOf({{"Case1_6", ""},
                                  {"Case2_5", ""},
                                  {"chkExceptionsEnabled", "1"},
                                  {"txtAdd", " x"},
                                  {"txtAddPos", "12"},
                                  {"optAddEnding", ""},
                                  {"optCrop", ""},
                                  {"txtCropPos", "3"},
                                  {"txtCropNumber", "4"},
                                  {"optCropEnding", ""},
                                  {"chkSpaceBeginning", "1"},
                                  {"chkSpaceEnd", "0"},
                                  {"chkSpaceShrink", "1"}});
    engine::Options options = mainwindow::modeOptions(inputs, NamingMode::Case);
    EXPECT_EQ(options.caseOptions.case1, 6);
    EXPECT_EQ(options.caseOptions.case2, 5);
    EXPECT_TRUE(options.caseOptions.exceptionsEnabled);
    EXPECT_TRUE(options.addCrop.crop);
    EXPECT_EQ(options.addCrop.add, QStringLiteral(" x"));
    EXPECT_EQ(options.addCrop.addPos, QStringLiteral("12"));
    EXPECT_TRUE(options.addCrop.addFromEnd);
    EXPECT_EQ(options.addCrop.cropPos, QStringLiteral("3"));
    EXPECT_EQ(options.addCrop.cropNumber, QStringLiteral("4"));
    EXPECT_TRUE(options.addCrop.cropFromEnd);
    EXPECT_TRUE(options.space.removeLeading);
    EXPECT_FALSE(options.space.removeTrailing);
    EXPECT_TRUE(options.space.shrink);

    inputs = inputsOf({{"Case1_3", ""}, {"Case2_1", ""}, {"optAdd", ""}, {"optAddBeginning", ""}},
                      inputs);
    options = mainwindow::modeOptions(inputs, NamingMode::Case);
    EXPECT_EQ(options.caseOptions.case1, 3);
    EXPECT_EQ(options.caseOptions.case2, 1);
    EXPECT_FALSE(options.addCrop.crop);
    EXPECT_FALSE(options.addCrop.addFromEnd);
}

TEST(ModeRulesTest, OnlyTheFormatOptionOfTheFormatTabMarksTheFormatSelected) {
    const struct {
        NamingMode mode;
        std::vector<Input> inputs;
        bool selected;
    } cases[] = {
        {NamingMode::Format, {{"chkFormatTab_Format", ""}}, true},
        {NamingMode::Format, {}, false},
        {NamingMode::DetectType, {{"chkFormatTab_Format", ""}}, false},
        {NamingMode::Replace, {{"chkFormatTab_Format", ""}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mainwindow::modeOptions(inputsOf(c.inputs), c.mode).format.formatFilenameSelected,
                  c.selected);
    }
}

TEST(ModeRulesTest, EveryModeWordNamesATabInItsStripPosition) {
    for (const mainwindow::ModeWord& word : mainwindow::modeWords()) {
        const int position = mainwindow::modeTabPosition(QLatin1String(word.tab));
        ASSERT_GT(position, 0) << word.word;
        EXPECT_STREQ(mainwindow::modeTabs()[static_cast<size_t>(position - 1)].key, word.tab)
            << word.word;
    }
    EXPECT_EQ(mainwindow::modeTabPosition(QStringLiteral("Replace")), 1);
    EXPECT_EQ(mainwindow::modeTabPosition(QStringLiteral("Format")), 8);
    EXPECT_EQ(mainwindow::modeTabPosition(QStringLiteral("replace")), 0);
}

}  // namespace
