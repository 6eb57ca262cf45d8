#include "cli/fit_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <future>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <tuple>

#include "cli/cli_texts.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/hand_over.h"
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

char* Put(char* p, std::string_view s) {
    std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

// A JSON string, at most 6 bytes for each of s's and 2 more.
char* PutJsonString(char* p, std::string_view s) {
    *p++ = '"';
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            *p++ = '\\';
            *p++ = ch;
        } else if (c < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            p = Put(p, "\\u00");
            *p++ = kHex[c >> 4];
            *p++ = kHex[c & 15];
        } else {
            *p++ = ch;
        }
    }
    *p++ = '"';
    return p;
}

void AppendJsonString(std::string& out, std::string_view s) {
    const std::size_t at = out.size();
    out.resize(at + 6 * s.size() + 2);
    out.resize(static_cast<std::size_t>(PutJsonString(out.data() + at, s) - out.data()));
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

// Bytes written through a pointer into room made beforehand: a million rows
// of small pieces cost several times as much as std::string appends. The room
// is not filled first, so only the bytes written are ever touched. Each
// buffer has a cache line of its own: two threads fill two of them side by
// side, and a shared line would pass between the cores at every row.
class alignas(64) RowBuffer {
  public:
    // Room for n more bytes at the end; write them, then Commit the end.
    char* Room(std::size_t n) {
        if (capacity_ - used_ < n) {
            const std::size_t capacity = std::max({2 * capacity_, used_ + n, kFirstRoom});
            std::unique_ptr<char[]> bytes(new char[capacity]);
            if (used_) std::memcpy(bytes.get(), bytes_.get(), used_);
            bytes_ = std::move(bytes);
            capacity_ = capacity;
        }
        return bytes_.get() + used_;
    }
    void Commit(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.get()); }
    std::string_view View() const { return {bytes_.get(), used_}; }
    void Clear() { used_ = 0; }

  private:
    // Enough for a turn of rows in most tables, and a block the allocator
    // maps with huge pages.
    static constexpr std::size_t kFirstRoom = std::size_t{4} << 20;
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0, used_ = 0;
};

// The rows first .. last - 1 of the result in the options' format.
void AppendRows(RowBuffer& out, const FitResult& r, const FitOptions& o, std::size_t first,
                std::size_t last) {
    // Room for all but the Y and X texts: the numbers, names and marks.
    constexpr std::size_t kRowRoom = 256;
    // The residual classes as this format names them.
    std::array<std::string_view, 3> classText;
    for (ResidualClass c : {ResidualClass::Near, ResidualClass::Middle, ResidualClass::Far})
        classText[static_cast<std::size_t>(c)] =
            o.format == OutputFormat::Text ? ClassWord(c, o.language) : ClassKeyword(c);
    for (std::size_t i = first; i < last; ++i) {
        const int row = r.pairs.rows[i];
        const double f = r.fitted[i];
        const ResidualClass c = ClassOfResidual(std::fabs(r.pairs.y[i] - f), r.sigma);
        r.pairTexts.With(i, row, [&](std::string_view y, std::string_view x) {
            char* p = out.Room(kRowRoom + 6 * (y.size() + x.size()));
            switch (o.format) {
                case OutputFormat::Text:
                case OutputFormat::Tsv:
                    if (o.format == OutputFormat::Tsv) p = Put(p, "row\t");
                    p = std::to_chars(p, p + 12, row).ptr;
                    *p++ = '\t';
                    p = Put(p, y);
                    *p++ = '\t';
                    p = Put(p, x);
                    *p++ = '\t';
                    p = WriteGeneralNumberText(f, o.sep, p);
                    *p++ = '\t';
                    p = Put(p, classText[static_cast<std::size_t>(c)]);
                    *p++ = '\n';
                    break;
                case OutputFormat::Json: {
                    char fitted[kGeneralNumberChars];
                    const std::string_view fittedText(
                        fitted, static_cast<std::size_t>(WriteGeneralNumberText(f, o.sep, fitted) - fitted));
                    p = Put(p, i == 0 ? "\n{\"row\":" : ",\n{\"row\":");
                    p = std::to_chars(p, p + 12, row).ptr;
                    p = PutJsonString(Put(p, ",\"y\":"), y);
                    p = PutJsonString(Put(p, ",\"x\":"), x);
                    p = PutJsonString(Put(p, ",\"fitted\":"), fittedText);
                    // The shortest texts that read back to the same doubles.
                    for (const auto& [name, v] :
                         {std::pair{",\"y_value\":", r.pairs.y[i]}, std::pair{",\"x_value\":", r.pairs.x[i]},
                          std::pair{",\"fitted_value\":", f}}) {
                        p = Put(p, name);
                        p = std::to_chars(p, p + 32, v).ptr;
                    }
                    p = PutJsonString(Put(p, ",\"class\":"), classText[static_cast<std::size_t>(c)]);
                    *p++ = '}';
                    break;
                }
            }
            out.Commit(p);
        });
    }
}

// All rows, handed to `sink` in turns: this thread formats one run of rows
// while a second thread formats the next, and the two go out in order. The
// buffers are reused, so a million rows never sit in memory as text at once.
bool WriteAllRows(const Sink& sink, const FitResult& r, const FitOptions& o) {
    const std::size_t n = r.fitted.size();
    RowBuffer mine, other;
    for (std::size_t first = 0; first < n; first += 2 * kRowsPerTurn) {
        const std::size_t mid = std::min(n, first + kRowsPerTurn), last = std::min(n, mid + kRowsPerTurn);
        mine.Clear();
        other.Clear();
        std::future<void> later;
        if (mid < last) later = std::async(std::launch::async, [&] { AppendRows(other, r, o, mid, last); });
        AppendRows(mine, r, o, first, mid);
        if (later.valid()) later.get();
        if (!sink(mine.View()) || !sink(other.View())) return false;
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

// A file that fits has fewer lines than a table can hold rows, and its
// decoded text (three bytes at most for each of its) fits 32-bit offsets.
static_assert(kDataFileMaxBytes < std::numeric_limits<int>::max() - 2);
static_assert(3 * kDataFileMaxBytes < (std::uint64_t{1} << 32));

Failure PastedTable(std::string_view bytes, int language, DataTable& table) {
    // The file is still a file: not text with a NUL byte, Windows-1251 when not
    // UTF-8, a byte order mark skipped.
    if (bytes.find('\0') != std::string_view::npos) return {kExitUnreadable, kFileInvalidData.In(language)};
    std::string text = FileTextToUtf8(bytes);
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    PasteTable(table, rest);  // no pairs: the table stays empty, and the fit says so
    return {};
}

namespace {

// The texts of the pairs read, the coefficients and what follows from them.
Failure FitPairsRead(const FitOptions& o, FitResult& r) {
    const int lang = o.language;
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

// Reads the pairs with `read`, which throws as ReadCountingPairs does, then
// fits them: the window's order (the texts, the number of pairs, the
// solution, the residuals).
Failure ReadAndFit(const FitOptions& o, FitResult& r, const std::function<void()>& read) {
    r = FitResult();
    r.kind = o.kind;
    try {
        read();
    } catch (const CellOverflow& e) {
        return {kExitNotFitted, LocatedOverflowText(e, o.language)};
    } catch (const ConvertError& e) {
        return {kExitNotFitted, e.what()};
    }
    return FitPairsRead(o, r);
}

}  // namespace

Failure FitTable(const DataTable& table, const FitOptions& o, FitResult& r) {
    return ReadAndFit(o, r, [&] {
        ReadCountingPairs(table, o.sep, r.pairs);
        r.pairTexts.Refer(table);
    });
}

namespace {

// From this size on a file's later part is read by a second thread, whose
// pairs this thread adds up as they come, after its own part's. Adding up is
// nearly as slow as reading, so this thread reads only a small part.
constexpr std::size_t kTwoReadersFrom = std::size_t{1} << 20;
constexpr double kThisThreadsPart = 0.15;

// About a quarter more than the lines from `from` on, judged by the first of
// them, to reserve for their pairs: more room costs only address space, less
// a copy as the arrays grow (and counting every line, a pass over the text).
std::size_t RoomForPairs(std::string_view text, std::size_t from) {
    const std::string_view rest = text.substr(from), sample = rest.substr(0, std::size_t{1} << 16);
    const auto lines = static_cast<double>(std::count(sample.begin(), sample.end(), '\n') + 1);
    return static_cast<std::size_t>(1.25 * lines * static_cast<double>(rest.size()) /
                                    static_cast<double>(std::max<std::size_t>(sample.size(), 1))) +
           16;
}

// Calls take(line, y, x) for each line with both tokens, of the lines from
// `from` (a line's start) up to the first line starting at `to` or after,
// the first line numbered 1. Gives the number of lines read.
template <class Take>
int ForEachPair(const DataFileLines& file, std::size_t from, std::size_t to, Take take) {
    const char* const stop = file.Text().data() + to;
    DataFileLineReader lines = file.Lines(from);
    int line = 0;
    for (std::string_view y, x; lines.At() < stop && lines.Next(y, x);) {
        ++line;
        if (!y.empty() && !x.empty()) take(line, y, x);
    }
    return line;
}

std::uint32_t Offset(std::string_view text, std::string_view token) {
    return static_cast<std::uint32_t>(token.data() - text.data());
}

// The pairs of a file's lines from a given line to the end, read by a second
// thread and handed over in batches as they are read. They are kept in blocks
// that never move once written, so the reader of the batches needs no lock.
class LaterPairs {
  public:
    // A block fills two huge pages, with the 16 bytes the allocation keeps in front.
    static constexpr std::size_t kBlock = ((std::size_t{4} << 20) - 16) / 24;
    struct Block {
        int lines[kBlock];  // counted from the first line read as 1
        double y[kBlock], x[kBlock];
        std::uint32_t starts[kBlock];  // of the Y tokens in the text
    };
    static_assert(sizeof(Block) == kBlock * 24);

    // A pair takes at least four bytes ("1 2" and a line end), which bounds the blocks.
    LaterPairs(const DataFileLines& file, std::size_t from, char sep)
        : file_(file), from_(from), sep_(sep), blocks_((file.Text().size() - from) / 4 / kBlock + 2) {}

    // The second thread's work: every pair, up to the first text rejected.
    void Read() noexcept {
        std::size_t n = 0;
        try {
            const std::string_view text = file_.Text();
            ForEachPair(file_, from_, text.size(), [&](int line, std::string_view y, std::string_view x) {
                const std::size_t i = n % kBlock;
                if (i == 0) blocks_[n / kBlock].reset(new Block);  // left unfilled
                Block& b = *blocks_[n / kBlock];
                ReadPairValues(line, y, x, sep_, b.y[i], b.x[i]);
                b.lines[i] = line;
                b.starts[i] = Offset(text, y);
                if (++n % kBatch == 0) handOver_.Ready(n, false);
            });
        } catch (...) {
            error_ = std::current_exception();
        }
        handOver_.Ready(n, true);
    }

    // Waits until more than `have` pairs are handed over or the reading ended;
    // gives the count handed over, and whether that is all of them.
    std::pair<std::size_t, bool> Await(std::size_t have) const { return handOver_.Await(have); }

    const Block& BlockOf(std::size_t pair) const { return *blocks_[pair / kBlock]; }
    // The first text rejected, once all is handed over.
    std::exception_ptr Error() const { return error_; }

  private:
    static constexpr std::size_t kBatch = 4096;

    const DataFileLines& file_;
    const std::size_t from_;
    const char sep_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::exception_ptr error_;
    HandOver handOver_;
};

}  // namespace

Failure FitDataFile(std::string_view bytes, DataFileLines& file, const FitOptions& o, FitResult& r) {
    const DataFileRead opened = file.Open(bytes);
    if (opened == DataFileRead::InvalidData) return {kExitUnreadable, kFileInvalidData.In(o.language)};
    return ReadAndFit(o, r, [&] {
        if (opened != DataFileRead::Read) return;
        // Line i is row i + 1 of the table File / Read would fill. A large file's
        // later part is read by a second thread meanwhile; its pairs are added
        // after the first part's, so the sums and the first rejected text are
        // those of one reading in row order.
        const std::string_view text = file.Text();
        r.pairTexts.Refer(text);
        const std::size_t split = text.size() < kTwoReadersFrom
                                      ? text.size()
                                      : file.LineStartFrom(static_cast<std::size_t>(
                                            kThisThreadsPart * static_cast<double>(text.size())));
        std::optional<LaterPairs> later;
        std::future<void> reading;  // joined before `later` goes, whatever this thread throws
        if (split < text.size()) {
            later.emplace(file, split, o.sep);
            reading = std::async(std::launch::async, [&later] { later->Read(); });
        }

        CountingPairs& p = r.pairs;
        std::vector<std::uint32_t>& starts = r.pairTexts.Starts();
        const std::size_t most = RoomForPairs(text, 0);
        p.rows.reserve(most);
        p.y.reserve(most);
        p.x.reserve(most);
        starts.reserve(most);
        const int before = ForEachPair(file, 0, split, [&](int row, std::string_view y, std::string_view x) {
            double yv, xv;
            ReadPairValues(row, y, x, o.sep, yv, xv);
            AddPairValues(p, row, yv, xv);
            starts.push_back(Offset(text, y));
        });
        if (!later) return;
        for (std::size_t added = 0;;) {
            const auto [count, all] = later->Await(added);
            for (; added < count; ++added) {
                const LaterPairs::Block& b = later->BlockOf(added);
                const std::size_t i = added % LaterPairs::kBlock;
                AddPairValues(p, before + b.lines[i], b.y[i], b.x[i]);
                starts.push_back(b.starts[i]);
            }
            if (all) break;
        }
        if (!later->Error()) return;
        try {
            std::rethrow_exception(later->Error());
        } catch (const CellOverflow& e) {
            throw CellOverflow(before + e.row, e.col);
        }
    });
}

bool WriteResult(const FitResult& r, const FitOptions& o, const Sink& sink) {
    std::string piece;
    AppendHead(piece, r, o);
    if (!sink(piece) || !WriteAllRows(sink, r, o)) return false;
    piece.clear();
    AppendTail(piece, r, o);
    return sink(piece);
}

std::string FormatResult(const FitResult& r, const FitOptions& o) {
    std::string out;
    WriteResult(r, o, [&](std::string_view piece) {
        out += piece;
        return true;
    });
    return out;
}

Failure RunFit(const FitOptions& o, int inputFd, const Sink& output) {
    const int lang = o.language;
    try {
        std::string bytes;
        const FileReadResult read = o.file == "-" ? ReadWholeDescriptor(inputFd, bytes, kDataFileMaxBytes)
                                                  : ReadWholeFile(o.file, bytes, kDataFileMaxBytes);
        if (read != FileReadResult::Read)
            return {kExitUnreadable,
                    o.file + ": " +
                        (read == FileReadResult::TooLarge ? kFileTooLarge : kFileCannotOpen).In(lang)};
        // A data file is fitted from its lines (the result refers to their
        // text); a paste's rules need the table.
        DataFileLines lines;
        DataTable table;
        FitResult result;
        Failure f;
        if (o.paste) {
            f = PastedTable(bytes, lang, table);
            if (f.status == kExitFitted) f = FitTable(table, o, result);
        } else {
            f = FitDataFile(bytes, lines, o, result);
        }
        if (f.status == kExitUnreadable) f.message = o.file + ": " + f.message;
        if (f.status != kExitFitted) return f;
        if (!WriteResult(result, o, output))
            return {kExitUnreadable, std::string("-: ") + kFileCannotWrite.In(lang)};
        return {};
    } catch (const std::bad_alloc&) {
        return {kExitNotFitted, kNotEnoughMemory.In(lang)};
    }
}

}  // namespace kurv::cli
