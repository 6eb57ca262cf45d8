#include "cli/fit_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <future>
#include <new>
#include <tuple>

#include "cli/cli_texts.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/numbers.h"
#include "core/uitext.h"

namespace kurv::cli {

namespace {

// Rows formatted per thread and turn: a second thread pays from a few thousand rows on.
constexpr std::size_t kRowsPerTurn = 1 << 15;

void AppendInt(std::string& out, long long v) {
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// The shortest text that reads back to v in any correctly rounding reader, as
// JSON wants it ("1e+20", "-0"). Only finite values get here.
void AppendJsonNumber(std::string& out, double v) {
    char buf[32];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

void AppendJsonString(std::string& out, std::string_view s) {
    out += '"';
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

// A JSON member: its name, then the caller appends the value.
void Member(std::string& out, const char* name, bool first = false) {
    if (!first) out += ',';
    AppendJsonString(out, name);
    out += ':';
}

std::string CoefficientName(int i) {
    return "A" + std::to_string(i);
}

// The rows first .. last - 1 of the result in the options' format.
void AppendRows(std::string& out, const FitResult& r, const DataTable& table, const FitOptions& o,
                std::size_t first, std::size_t last) {
    char buf[kGeneralNumberChars];
    for (std::size_t i = first; i < last; ++i) {
        const int row = r.pairs.rows[i];
        const double f = r.fitted[i];
        const std::string_view fitted(buf,
                                      static_cast<std::size_t>(WriteGeneralNumberText(f, o.sep, buf) - buf));
        const ResidualClass c = ClassOfResidual(std::fabs(r.pairs.y[i] - f), r.sigma);
        const CellText y = table.Cell(0, row), x = table.Cell(1, row);
        switch (o.format) {
            case OutputFormat::Text:
            case OutputFormat::Tsv:
                if (o.format == OutputFormat::Tsv) out += "row\t";
                AppendInt(out, row);
                out += '\t';
                out += y.View();
                out += '\t';
                out += x.View();
                out += '\t';
                out += fitted;
                out += '\t';
                out += o.format == OutputFormat::Tsv ? ClassKeyword(c) : ClassWord(c, o.language);
                out += '\n';
                break;
            case OutputFormat::Json:
                out += i == 0 ? "\n{" : ",\n{";
                Member(out, "row", true);
                AppendInt(out, row);
                Member(out, "y");
                AppendJsonString(out, y);
                Member(out, "x");
                AppendJsonString(out, x);
                Member(out, "fitted");
                AppendJsonString(out, fitted);
                Member(out, "y_value");
                AppendJsonNumber(out, r.pairs.y[i]);
                Member(out, "x_value");
                AppendJsonNumber(out, r.pairs.x[i]);
                Member(out, "fitted_value");
                AppendJsonNumber(out, f);
                Member(out, "class");
                AppendJsonString(out, ClassKeyword(c));
                out += '}';
                break;
        }
    }
}

// All rows, handed to `sink` in turns: this thread formats one run of rows
// while a second thread formats the next, and the two go out in order. The
// buffers are reused, so a million rows never sit in memory as text at once.
bool WriteAllRows(const Sink& sink, const FitResult& r, const DataTable& table, const FitOptions& o) {
    const std::size_t n = r.fitted.size();
    std::string mine, other;
    for (std::size_t first = 0; first < n; first += 2 * kRowsPerTurn) {
        const std::size_t mid = std::min(n, first + kRowsPerTurn), last = std::min(n, mid + kRowsPerTurn);
        mine.clear();
        other.clear();
        std::future<void> later;
        if (mid < last)
            later = std::async(std::launch::async, [&] { AppendRows(other, r, table, o, mid, last); });
        AppendRows(mine, r, table, o, first, mid);
        if (later.valid()) later.get();
        if (!sink(mine) || !sink(other)) return false;
    }
    return true;
}

std::array<double, 4> Values(const Coefficients& c) {
    return {c.a0, c.a1, c.a2, c.a3};
}

// What comes before the rows.
void AppendHead(std::string& out, const FitResult& r, const FitOptions& o) {
    const int lang = o.language;
    const int count = CoefficientCount(r.kind);
    const std::array<double, 4> a = Values(r.coefficients);
    switch (o.format) {
        case OutputFormat::Text:
            for (int i = 0; i < count; ++i) out += CoefficientName(i) + " = " + r.texts[i] + "\n";
            if (o.fullPrecision) {
                out += std::string(Text(CliText::FullPrecision, lang)) + ":\n";
                for (int i = 0; i < count; ++i)
                    out += CoefficientName(i) + " = " + FullPrecisionText(a[i], o.sep) + "\n";
            }
            out += r.formula + "\n";
            out += std::string(UiText(TextId::MaxErrorLabel, lang)) + ": " + r.maxErrorText + "\n";
            out += std::string(UiText(TextId::RmsLabel, lang)) + " " + kRmsNote + ": " + r.sigmaText + "\n";
            out += std::string("\n№\t") + UiText(TextId::HeaderTrueY, lang) + "\t" +
                   UiText(TextId::HeaderGaugeX, lang) + "\t" + UiText(TextId::HeaderFittedY, lang) + "\t" +
                   Text(CliText::PointColour, lang) + "\n";
            break;
        case OutputFormat::Tsv:
            out += std::string("kind\t") + KindName(r.kind) + "\n";
            for (int i = 0; i < count; ++i) out += CoefficientName(i) + "\t" + r.texts[i] + "\n";
            if (o.fullPrecision) {
                for (int i = 0; i < count; ++i)
                    out += CoefficientName(i) + "_full\t" + FullPrecisionText(a[i], o.sep) + "\n";
            }
            out += "formula\t" + r.formula + "\n";
            out += "max_error\t" + r.maxErrorText + "\n";
            out += "sigma\t" + r.sigmaText + "\n";
            out += "pairs\t" + std::to_string(r.pairs.Size()) + "\n";
            break;
        case OutputFormat::Json:
            out += '{';
            Member(out, "kind", true);
            AppendJsonString(out, KindName(r.kind));
            Member(out, "separator");
            AppendJsonString(out, std::string_view(&o.sep, 1));
            Member(out, "pairs");
            AppendInt(out, r.pairs.Size());
            Member(out, "coefficients");
            out += '[';
            for (int i = 0; i < count; ++i) {
                out += i == 0 ? "\n{" : ",\n{";
                Member(out, "name", true);
                AppendJsonString(out, CoefficientName(i));
                Member(out, "text");
                AppendJsonString(out, r.texts[i]);
                Member(out, "value");
                AppendJsonNumber(out, a[i]);
                if (o.fullPrecision) {
                    Member(out, "full");
                    AppendJsonString(out, FullPrecisionText(a[i], o.sep));
                }
                out += '}';
            }
            out += "],\n";
            Member(out, "formula", true);
            AppendJsonString(out, r.formula);
            out += ",\n";
            for (const auto& [name, text, value] : {std::tuple{"max_error", &r.maxErrorText, r.maxError},
                                                    std::tuple{"sigma", &r.sigmaText, r.sigma}}) {
                Member(out, name, true);
                out += '{';
                Member(out, "text", true);
                AppendJsonString(out, *text);
                Member(out, "value");
                AppendJsonNumber(out, value);
                out += "},\n";
            }
            Member(out, "rows", true);
            out += '[';
            break;
    }
}

// What comes after the rows: the evaluations.
void AppendTail(std::string& out, const FitResult& r, const FitOptions& o) {
    switch (o.format) {
        case OutputFormat::Text:
            if (!r.at.empty()) out += '\n';
            for (const Evaluation& e : r.at) out += "Y(" + e.x + ") = " + e.text + "\n";
            break;
        case OutputFormat::Tsv:
            for (const Evaluation& e : r.at) out += "at\t" + e.x + "\t" + e.text + "\n";
            break;
        case OutputFormat::Json:
            out += "],\n";
            Member(out, "at", true);
            out += '[';
            for (std::size_t i = 0; i < r.at.size(); ++i) {
                const Evaluation& e = r.at[i];
                out += i == 0 ? "\n{" : ",\n{";
                Member(out, "x", true);
                AppendJsonString(out, e.x);
                Member(out, "x_value");
                AppendJsonNumber(out, e.xValue);
                Member(out, "y");
                AppendJsonString(out, e.text);
                Member(out, "y_value");
                AppendJsonNumber(out, e.y);
                out += '}';
            }
            out += "]}\n";
            break;
    }
}

}  // namespace

const char* ClassKeyword(ResidualClass c) {
    switch (c) {
        case ResidualClass::Near:
            return "blue";
        case ResidualClass::Middle:
            return "purple";
        case ResidualClass::Far:
            break;
    }
    return "red";
}

Failure TableFromBytes(std::string_view bytes, bool paste, int language, DataTable& table) {
    if (!paste) {
        if (ReadDataFile(table, bytes) == DataFileRead::InvalidData)
            return {kExitUnreadable, kFileInvalidData.In(language)};
        return {};
    }
    // The file is still a file: not text with a NUL byte, Windows-1251 when not
    // UTF-8, a byte order mark skipped.
    if (bytes.find('\0') != std::string_view::npos) return {kExitUnreadable, kFileInvalidData.In(language)};
    std::string text = FileTextToUtf8(bytes);
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    PasteTable(table, rest);  // no pairs: the table stays empty, and the fit says so
    return {};
}

Failure FitTable(const DataTable& table, const FitOptions& o, FitResult& r) {
    const int lang = o.language;
    r = FitResult{};
    r.kind = o.kind;
    // The window's order: the texts, the number of pairs, the solution, the residuals.
    try {
        ReadCountingPairs(table, o.sep, r.pairs);
    } catch (const CellOverflow& e) {
        return {kExitNotFitted, LocatedOverflowText(e, lang)};
    } catch (const ConvertError& e) {
        return {kExitNotFitted, e.what()};
    }
    if (!EnoughPairs(o.kind, r.pairs.sums.n))
        return {kExitNotFitted, std::string(UiText(TextId::InsufficientData, lang)) + ": " +
                                    UiText(TextId::FillTheTable, lang)};
    if (Solve(o.kind, r.pairs.sums, r.coefficients) == SolveResult::Fault)
        return {kExitNotFitted, UiText(TextId::CoefficientsUndetermined, lang)};

    const Coefficients& c = r.coefficients;
    const std::array<double, 4> a = Values(c);
    for (int i = 0; i < 4; ++i) r.texts[i] = CoefficientText(a[i], o.sep);
    r.formula = FormulaText(c, o.kind, r.texts);

    ErrorMeasures errors;
    try {
        FitPairs(r.pairs, c, r.fitted, errors);
    } catch (const CellOverflow& e) {
        return {kExitNotFitted, LocatedOverflowText(e, lang)};
    }
    r.sigma = errors.Sigma();
    r.maxError = errors.maxError;
    r.sigmaText = ErrorMeasureText(r.sigma, o.sep);
    r.maxErrorText = ErrorMeasureText(r.maxError, o.sep);

    for (const std::string& x : o.at) {
        Evaluation e;
        e.x = x;
        try {
            e.xValue = TextToNumber(x, o.sep);
            e.y = Evaluate(c, e.xValue);
        } catch (const KurvError& err) {  // beyond the double range, at X or on the curve
            return {kExitNotFitted, err.what()};
        }
        e.text = CurveValueText(e.y, o.sep);
        r.at.push_back(std::move(e));
    }
    return {};
}

bool WriteResult(const FitResult& r, const DataTable& table, const FitOptions& o, const Sink& sink) {
    std::string piece;
    AppendHead(piece, r, o);
    if (!sink(piece) || !WriteAllRows(sink, r, table, o)) return false;
    piece.clear();
    AppendTail(piece, r, o);
    return sink(piece);
}

std::string FormatResult(const FitResult& r, const DataTable& table, const FitOptions& o) {
    std::string out;
    WriteResult(r, table, o, [&](std::string_view piece) {
        out += piece;
        return true;
    });
    return out;
}

Failure RunFit(const FitOptions& o, int inputFd, const Sink& output) {
    const int lang = o.language;
    try {
        DataTable table;
        {
            std::string bytes;
            const FileReadResult read = o.file == "-" ? ReadWholeDescriptor(inputFd, bytes, kDataFileMaxBytes)
                                                      : ReadWholeFile(o.file, bytes, kDataFileMaxBytes);
            if (read != FileReadResult::Read)
                return {kExitUnreadable,
                        o.file + ": " +
                            (read == FileReadResult::TooLarge ? kFileTooLarge : kFileCannotOpen).In(lang)};
            Failure f = TableFromBytes(bytes, o.paste, lang, table);
            if (f.status != kExitFitted) {
                f.message = o.file + ": " + f.message;
                return f;
            }
        }
        FitResult result;
        Failure f = FitTable(table, o, result);
        if (f.status != kExitFitted) return f;
        if (!WriteResult(result, table, o, output))
            return {kExitUnreadable, std::string("-: ") + kFileCannotWrite.In(lang)};
        return {};
    } catch (const std::bad_alloc&) {
        return {kExitNotFitted, kNotEnoughMemory.In(lang)};
    }
}

}  // namespace kurv::cli
