#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "core/numbers.h"
#include "core/report.h"
#include "core_tables.h"

using namespace kurv;
namespace fs = std::filesystem;

namespace {

// Y = 2.5 - 0.125 X through (0, 2.5), (2, 2.25) and (4, 2.0), with the middle
// pair's Y raised by 0.75: a linear fit as the window composes it.
struct Worked {
    CountingPairs pairs;
    std::vector<double> fitted;
    ReportInput in;

    explicit Worked(int language) {
        pairs.rows = {1, 3, 4};
        pairs.y = {2.5, 3.0, 2.0};
        pairs.x = {0, 2, 4};
        for (int i = 0; i < 3; ++i) pairs.sums.Add(pairs.x[size_t(i)], pairs.y[size_t(i)]);
        in.language = language;
        in.kind = 0;
        in.sep = ',';
        EXPECT_EQ(Solve(FitKind::Linear, pairs.sums, in.coefficients), SolveResult::Ok);
        const double a[4] = {in.coefficients.a0, in.coefficients.a1, in.coefficients.a2, in.coefficients.a3};
        for (int i = 0; i < 4; ++i) in.coefficientTexts[size_t(i)] = CoefficientText(a[i], in.sep);
        in.formula = FormulaText(in.coefficients, FitKind::Linear, in.coefficientTexts);
        ErrorMeasures e;
        FitPairs(pairs, in.coefficients, fitted, e);
        in.sigma = e.Sigma();
        in.maxError = e.maxError;
        in.pairs = &pairs;
        in.fitted = &fitted;
        in.title = "T";
        in.stamp = "S";
    }
};

// `n` pairs on a line with residuals from a seeded generator, some of them equal.
struct Long {
    CountingPairs pairs;
    std::vector<double> fitted;
    explicit Long(std::size_t n) {
        std::mt19937 rng(11);
        std::uniform_int_distribution<int> noise(-400, 400);
        for (std::size_t i = 0; i < n; ++i) {
            pairs.rows.push_back(int(i) + 1);
            pairs.x.push_back(double(i));
            fitted.push_back(2.0 * double(i));
            pairs.y.push_back(fitted.back() + noise(rng) / 64.0);
        }
    }
};

const ReportField* Find(const std::vector<ReportField>& list, const std::string& label) {
    for (const ReportField& f : list)
        if (f.label == label) return &f;
    return nullptr;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(Report, WorkedExampleInBothLanguages) {
    struct Case {
        int language;
        const char* kindLabel;
        const char* kind;
        const char* rmsLabel;
        const char* residualHeader;
        const char* pairs;
    } cases[] = {
        {0, "Вид функции", "Линейная", "Среднекв. отклонение (по ГОСТ 17624-87)", "Y − Y полученное",
         "Число пар"},
        {1, "Type of function", "Linear", "Rms. deviation (по ГОСТ 17624-87)", "Y − Y obtained",
         "Number of pairs"},
    };
    for (const Case& c : cases) {
        Worked w(c.language);
        const Report r = BuildReport(w.in);
        EXPECT_EQ(r.fit[0].label, c.kindLabel);
        EXPECT_EQ(r.fit[0].value, c.kind);
        EXPECT_EQ(r.fit[1].value, "Y = -1,2500000e-1 * X  +2,7500000");
        EXPECT_EQ(r.fit.size(), 2u);  // no units given, no units line
        ASSERT_EQ(r.coefficients.size(), 2u);
        EXPECT_EQ(r.coefficients[0].name, "A0");
        EXPECT_EQ(r.coefficients[0].shown, "2,7500000");
        EXPECT_EQ(r.coefficients[0].full, "2,75");
        EXPECT_EQ(r.coefficients[1].shown, "-1,2500000e-1");
        EXPECT_EQ(r.coefficients[1].full, "-0,125");
        EXPECT_EQ(r.coefficients[1].unit, "");
        EXPECT_EQ(r.measures[0].value, ErrorMeasureText(w.in.maxError, ','));
        EXPECT_EQ(r.measures[1].label, c.rmsLabel);
        EXPECT_EQ(r.measures[1].value, ErrorMeasureText(w.in.sigma, ','));
        EXPECT_EQ(r.measures[2].label, c.pairs);
        EXPECT_EQ(r.measures[2].value, "3");
        EXPECT_EQ(r.columns[4], c.residualHeader);
        ASSERT_EQ(r.table.Count(), 3u);
        EXPECT_TRUE(r.table.Whole());
        EXPECT_EQ(r.tableNote, "");
        const ReportRow row = r.table.Row(1);
        EXPECT_EQ(row.tableRow, 3);
        EXPECT_EQ(row.y, "3");
        EXPECT_EQ(row.fitted, "2,5");
        EXPECT_EQ(row.residual, "0,5");
        EXPECT_EQ(r.table.Row(0).residual, "-0,25");
        // sigma = sqrt((0.0625 + 0.25 + 0.0625) / 2) = 0.433: a residual of 0.25 is past a half of it.
        EXPECT_EQ(r.table.Row(0).colour, ResidualClass::Far);
        EXPECT_TRUE(r.statistics.sections.empty() && r.statistics.notes.empty());
        EXPECT_TRUE(r.points.empty());
    }
    EXPECT_EQ(PageText(0, 2, 7), "Страница 2 из 7");
    EXPECT_EQ(PageText(1, 2, 7), "Page 2 of 7");
}

// The record's filled fields reach the page in their place, with the units
// in every heading, value and coefficient; empty ones are left out.
TEST(Report, RecordFieldsAndUnits) {
    Worked w(1);
    ReportRecord& rec = w.in.record;
    rec[RecordField::Laboratory] = "Lab";
    rec[RecordField::ReportNumber] = "17/2024";
    rec[RecordField::InstrumentType] = "Thermocouple K";
    rec[RecordField::UnitY] = "°C";
    rec[RecordField::UnitX] = "mV";
    rec[RecordField::Operator] = "A. Smith";
    rec[RecordField::CalibrationDate] = "2024-05-06";
    w.in.sourceFile = "/data/k.txt";
    w.in.statistics.sections = {{"Quality", {}, {{"s", "0,1"}}}};
    w.in.statistics.notes = {"U is t times u."};
    const Report r = BuildReport(w.in);

    EXPECT_EQ(r.laboratory, "Lab");
    EXPECT_EQ(r.heading, "Calibration report No. 17/2024");
    EXPECT_EQ(r.footer, "Calibration report No. 17/2024 · T");
    std::vector<std::string> labels;
    for (const ReportField& f : r.fields) labels.push_back(f.label);
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Instrument", "Date of calibration", "Data source", "Report made"}));
    EXPECT_EQ(Find(r.fields, "Instrument")->value, "Thermocouple K");
    EXPECT_EQ(Find(r.fields, "Data source")->value, "data file /data/k.txt");
    EXPECT_EQ(Find(r.fit, "Units")->value, "Y (true) in °C, X (gauge) in mV");
    EXPECT_EQ(r.coefficients[0].unit, "°C");
    EXPECT_EQ(r.coefficients[1].unit, "°C/mV");
    EXPECT_EQ(r.measures[0].value, ErrorMeasureText(w.in.maxError, ',') + " °C");
    EXPECT_EQ(r.columns[1], "Y (true), °C");
    EXPECT_EQ(r.columns[2], "X (gauge), mV");
    EXPECT_EQ(r.columns[4], "Y − Y obtained, °C");
    EXPECT_EQ(r.axisX, "X (gauge), mV");
    EXPECT_EQ(r.axisY, "Y (true), °C");
    EXPECT_EQ(r.signers[0], "A. Smith");
    EXPECT_EQ(r.signers[1], "");
    ASSERT_EQ(r.statistics.sections.size(), 1u);
    EXPECT_EQ(r.statistics.notes, std::vector<std::string>{"U is t times u."});

    // Without a number the footer is the title alone; typed data say so.
    Worked plain(0);
    const Report p = BuildReport(plain.in);
    EXPECT_EQ(p.heading, "Отчёт о градуировке");
    EXPECT_EQ(p.footer, "T");
    EXPECT_EQ(p.laboratory, "");
    EXPECT_EQ(Find(p.fields, "Источник данных")->value, "буфер обмена или ввод с клавиатуры");
    EXPECT_EQ(p.fields.size(), 2u);
}

TEST(Report, CoefficientUnits) {
    EXPECT_EQ(CoefficientUnit("°C", "mV", 0), "°C");
    EXPECT_EQ(CoefficientUnit("°C", "mV", 2), "°C/mV²");
    EXPECT_EQ(CoefficientUnit("°C", "mV/V", 3), "°C/(mV/V)³");
    EXPECT_EQ(CoefficientUnit("kg m", "mV", 1), "(kg m)/mV");
    EXPECT_EQ(CoefficientUnit("", "mV", 1), "1/mV");
    EXPECT_EQ(CoefficientUnit("°C", "", 2), "°C");
    EXPECT_EQ(CoefficientUnit("", "", 1), "");
}

// The largest residuals, largest first, equal ones in table order: the same
// as sorting every pair.
TEST(Report, LargestResidualsAgreeWithAFullSort) {
    const Long data(5000);
    std::vector<std::uint32_t> all(5000);
    for (std::uint32_t i = 0; i < 5000; ++i) all[i] = i;
    auto size = [&](std::uint32_t i) { return std::fabs(data.pairs.y[i] - data.fitted[i]); };
    std::stable_sort(all.begin(), all.end(), [&](auto a, auto b) { return size(a) > size(b); });
    for (std::size_t count :
         {std::size_t{0}, std::size_t{1}, std::size_t{50}, std::size_t{4999}, std::size_t{9000}}) {
        const auto got = LargestResiduals(data.pairs, data.fitted, count);
        const std::vector<std::uint32_t> want(all.begin(), all.begin() + std::min<std::size_t>(count, 5000));
        EXPECT_EQ(got, want) << count;
    }
}

// Short tables are listed whole; longer ones give their largest residuals and
// say how many pairs there are and where the rest is, unless every row is asked for.
TEST(Report, LongTableListsItsLargestResiduals) {
    Long atLimit(kWholeTableRows), longer(kWholeTableRows + 1);
    for (const Long* d : {&atLimit, &longer}) {
        ReportInput in;
        in.language = 1;
        in.pairs = &d->pairs;
        in.fitted = &d->fitted;
        in.sigma = 2;
        in.copyFile = "/d/all.txt";
        const Report r = BuildReport(in);
        const bool whole = d == &atLimit;
        EXPECT_EQ(r.table.Whole(), whole);
        EXPECT_EQ(r.table.Count(), whole ? kWholeTableRows : kLargestResidualRows);
        if (whole) {
            EXPECT_EQ(r.tableNote, "");
            continue;
        }
        EXPECT_EQ(r.tableNote,
                  "The table has 201 pairs; listed here are the 50 with the largest residuals in magnitude, "
                  "largest "
                  "first. The full table is in the data file /d/all.txt.");
        const auto first = LargestResiduals(d->pairs, d->fitted, 1)[0];
        EXPECT_EQ(r.table.Row(0).tableRow, d->pairs.rows[first]);
        in.everyRow = true;
        EXPECT_EQ(BuildReport(in).table.Count(), kWholeTableRows + 1);
        in.everyRow = false;
        in.copyFile.clear();
        in.language = 0;
        EXPECT_EQ(
            BuildReport(in).tableNote,
            "В таблице 201 пар; здесь 50 с наибольшими по модулю остатками, по убыванию. Полная таблица не "
            "сохранена в файл: она в таблице программы (Файл / Запись сохранит её).");
    }
    Long many(12345);
    ReportInput in;
    in.pairs = &many.pairs;
    in.fitted = &many.fitted;
    in.language = 1;
    EXPECT_NE(BuildReport(in).tableNote.find("The table has 12,345 pairs"), std::string::npos);
    in.language = 0;
    EXPECT_NE(BuildReport(in).tableNote.find("В таблице 12\u00A0345 пар"), std::string::npos);
}

// The fingerprint follows the data a file holds (Y and X), not the fitted
// column or blank rows; a data file is named only while the table holds it.
TEST(Report, DataFilesFollowTheTable) {
    DataTable t = Make({{"1", "2", ""}, {"3", "4", ""}}, 3);
    const std::uint64_t read = DataFingerprint(t);
    t.SetCell(2, 1, "9.5");
    t.SetRowCount(40);
    EXPECT_EQ(DataFingerprint(t), read);
    DataTable moved = Make({{"", "", ""}, {"1", "2", ""}, {"3", "4", ""}});
    EXPECT_EQ(DataFingerprint(moved), read);
    DataTable swapped = Make({{"2", "1", ""}, {"3", "4", ""}});
    EXPECT_NE(DataFingerprint(swapped), read);
    DataTable joined = Make({{"12", "", ""}, {"3", "4", ""}});
    EXPECT_NE(DataFingerprint(joined), read);
    DataTable split = Make({{"1", "", ""}, {"", "2", ""}, {"3", "4", ""}});
    EXPECT_NE(DataFingerprint(split), read);

    // Texts too long for a cell's own record count by their bytes, not by
    // where the store keeps them.
    const std::string note = "a note longer than a record", digits = "1234567890.1234567890123";
    DataTable kept = Make({{note, digits, ""}, {"3", note + "!", ""}});
    DataTable rewritten = Make({{"x", "y", ""}, {"3", "z", ""}});
    rewritten.SetCell(0, 1, note + " and then some");
    rewritten.SetCell(0, 1, note);  // rewritten where it was, one arena byte left unused
    rewritten.SetCell(1, 2, note + "!");
    rewritten.SetCell(1, 1, digits);
    EXPECT_EQ(DataFingerprint(rewritten), DataFingerprint(kept));
    for (const auto& [row, col, text] : {std::tuple{1, 0, note.substr(1)},
                                         {1, 0, "a note longer than a recorD"},
                                         {1, 1, digits.substr(0, 22)},
                                         {2, 1, note + "?"}}) {
        DataTable changed = kept;
        changed.SetCell(col, row, text);
        EXPECT_NE(DataFingerprint(changed), DataFingerprint(kept)) << text;
    }

    ReportDataFiles files{{"in.txt", read}, {"out.txt", read + 1}};
    DataFilesNow now = MatchDataFiles(files, read);
    EXPECT_EQ(now.source, "in.txt");
    EXPECT_EQ(now.copy, "in.txt");
    now = MatchDataFiles(files, read + 1);
    EXPECT_EQ(now.source, "");
    EXPECT_EQ(now.copy, "out.txt");
    files.written.fingerprint = read;  // written again after reading: the newer copy
    EXPECT_EQ(MatchDataFiles(files, read).copy, "out.txt");
    EXPECT_EQ(MatchDataFiles({}, 0).source, "");
}

// The remembered fields go to the settings file and come back byte for byte
// (blanks at the ends, quotes, backslashes, line breaks, Cyrillic); the
// dates are not remembered; the file's other lines stay.
TEST(ReportRecordSettings, RoundTrip) {
    std::string tmpl = (fs::temp_directory_path() / "kurv-report-XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const std::string ini = (dir / "Kurvilon.ini").string();
    std::ofstream(ini) << "[Config]\nLanguage=Eng\n";

    ReportRecord rec;
    rec[RecordField::Laboratory] = "  Лаборатория \"Север\"  ";
    rec[RecordField::Conditions] = "t = 20 °C\nC:\\dir\\n";
    rec[RecordField::UnitY] = "'°C'";
    rec[RecordField::CalibrationDate] = "2024-05-06";
    rec[RecordField::ValidUntil] = "2025-05-06";
    ASSERT_TRUE(WriteReportRecord(ini, rec));
    const std::string content = Slurp(ini);
    EXPECT_EQ(content.rfind("[Config]\nLanguage=Eng\n", 0), 0u);
    EXPECT_EQ(content.find("2024"), std::string::npos);

    const ReportRecord back = ReadReportRecord(ini);
    for (int i = 0; i < kRecordFieldCount; ++i) {
        const auto f = static_cast<RecordField>(i);
        EXPECT_EQ(back[f], RecordFieldRemembered(f) ? rec[f] : "") << i;
    }
    // Unchanged values leave the file alone; a hand-edited value is cut at a character.
    ASSERT_TRUE(WriteReportRecord(ini, back));
    EXPECT_EQ(Slurp(ini), content);
    std::string huge(kRecordFieldMaxBytes - 1, 'a');
    huge += "ЖЖ";
    std::ofstream(ini) << "[Report]\nOperator=" << huge << "\n";
    EXPECT_EQ(ReadReportRecord(ini)[RecordField::Operator], std::string(kRecordFieldMaxBytes - 1, 'a'));

    // A settings path in a missing folder: nothing read, nothing written.
    EXPECT_EQ(ReadReportRecord((dir / "no" / "Kurvilon.ini").string())[RecordField::Operator], "");
    EXPECT_FALSE(WriteReportRecord((dir / "no" / "Kurvilon.ini").string(), rec));
    fs::remove_all(dir);
}
