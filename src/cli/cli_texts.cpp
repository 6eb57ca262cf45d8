#include "cli/cli_texts.h"

#include "build_version.h"
#include "core/uitext.h"

namespace kurv::cli {

namespace {

constexpr TextPair kTexts[] = {
    {"Полная точность", "Full precision"},
    {"Цвет точки", "Point colour"},
    {"неизвестный параметр «%s»", "unrecognized option '%s'"},
    {"параметр «%s» неоднозначен", "option '%s' is ambiguous"},
    {"параметру «%s» нужно значение", "option '%s' requires a value"},
    {"параметр «%s» не принимает значения", "option '%s' takes no value"},
    {"недопустимое значение «%1» параметра %2 (%3)", "invalid value '%1' of %2 (%3)"},
    {"лишний операнд «%s»", "extra operand '%s'"},
    {"%1: «%2» не является правильным числом", "%1: '%2' is not a valid number"},
    {"; см. «kurvilon --help»", "; see 'kurvilon --help'"},
    {"не удаётся запустить окно %1: %2", "cannot start the window %1: %2"},
    {"команде %s нужен файл вывода: -o ФАЙЛ", "%s needs an output file: -o OUT"},
    {"команде %s нужно имя файла данных (не стандартный ввод)",
     "%s needs the data file's name (not standard input)"},
    {"имя файла графика должно оканчиваться на .svg, .png или .pdf: %s",
     "the chart's file name must end in .svg, .png or .pdf: %s"},
    {"не удаётся узнать десятичный разделитель системы (%s): укажите его параметром --separator",
     "cannot read the locale's decimal separator (%s): give it with --separator"},
};

constexpr TextPair kClassWords[] = {
    {"синий", "blue"},
    {"фиолетовый", "purple"},
    {"красный", "red"},
};

constexpr const char* kHelpRussian = R"(Использование: kurvilon [ФАЙЛ]
         или:  kurvilon fit [ПАРАМЕТР]... [ФАЙЛ]
         или:  kurvilon chart [ПАРАМЕТР]... ФАЙЛ -o ВЫВОД.svg|png|pdf
         или:  kurvilon report [ПАРАМЕТР]... ФАЙЛ -o ВЫВОД.pdf
         или:  kurvilon --help | --version
Подбор линейной, квадратичной или кубической градуировочной кривой по методу
наименьших квадратов к парам: истинное значение Y, показание прибора X.

Без команды kurvilon открывает окно и читает ФАЙЛ, как «Файл / Читать».

kurvilon fit читает пары из ФАЙЛА (из стандартного ввода, если ФАЙЛ - или не
задан), по паре «Y X» в строке, как в файле данных, подбирает кривую, как окно,
и выводит то, что показывает окно: коэффициенты, формулу, максимальную ошибку,
среднеквадратическое отклонение, полученное значение каждой пары и цвет её
точки на графике, а также значение кривой в каждом заданном X.

Параметры fit:
      --kind=ВИД         linear, quadratic или cubic (по умолчанию cubic)
      --separator=ЗНАК   десятичный разделитель . или , (по умолч. из локали)
      --lang=ЯЗЫК        ru или en: подписи и сообщения (по умолч. из локали)
      --format=ФОРМАТ    text, tsv или json (по умолчанию text)
      --at=X             ещё и значение кривой в X; можно повторять
      --full-precision   ещё и кратчайший точный текст каждого коэффициента
      --paste            читать текст, как «Вставить таблицу» читает буфер
  -h, --help             показать эту справку и выйти
      --version          показать версию и лицензию и выйти

kurvilon chart и kurvilon report без дисплея записывают график (SVG, PNG или
PDF по расширению) и отчёт о градуировке (PDF) точно так же, как «Сохранить
график…» и «Отчёт…» в окне. Поля отчёта берутся из файла настроек, как их
помнит окно. Параметры: --kind, --separator, --lang, как у fit, и
  -o, --output=ВЫВОД     куда записать график или отчёт

Код завершения: 0 кривая подобрана; 1 таблицу нельзя обработать (мало пар, нет
решения, переполнение, текст не является числом); 2 ошибка в командной строке;
3 файл нельзя прочитать или вывод нельзя записать.

Примеры:
  kurvilon fit --kind=linear sensor7.txt
  kurvilon fit --format=json --at 12.5 --at 30 < readings.txt
  xclip -o | kurvilon fit --paste --separator=, --lang=ru
  kurvilon chart --kind=quadratic sensor7.txt -o sensor7.svg
  kurvilon report --lang=ru sensor7.txt -o sensor7.pdf

Подробнее: man kurvilon.
)";

constexpr const char* kHelpEnglish = R"(Usage: kurvilon [FILE]
  or:  kurvilon fit [OPTION]... [FILE]
  or:  kurvilon chart [OPTION]... FILE -o OUT.svg|png|pdf
  or:  kurvilon report [OPTION]... FILE -o OUT.pdf
  or:  kurvilon --help | --version
Fit a linear, quadratic or cubic least-squares calibration curve to pairs of
true values Y and instrument readings X.

Without a command, kurvilon starts the window and reads FILE as File / Read.

kurvilon fit reads the pairs of FILE (standard input when FILE is - or not
given), one "Y X" pair per line as in the data file, fits them as the window
does, and prints what the window shows: the coefficients, the formula, the
maximum error, the RMS deviation, each pair's fitted value and the colour of
its point on the chart, and the curve's value at each X asked for.

Options of fit:
      --kind=KIND        linear, quadratic or cubic (default: cubic)
      --separator=SEP    the decimal separator, . or , (default: the locale's)
      --lang=LANG        ru or en: captions, messages (default: the locale's)
      --format=FORMAT    text, tsv or json (default: text)
      --at=X             also the curve's value at X; may be repeated
      --full-precision   also each coefficient's shortest exact text
      --paste            take the text as Table Paste takes the clipboard's
  -h, --help             show this help and exit
      --version          show the version and the licence and exit

kurvilon chart and kurvilon report write, without a display, the chart (SVG,
PNG or PDF by the extension) and the calibration report (PDF) exactly as the
window's Save chart... and Report... do. The report's record fields come from
the settings file, as the window remembers them. Options: --kind, --separator,
--lang as for fit, and
  -o, --output=OUT       where the chart or the report goes

Exit status: 0 fitted; 1 the table cannot be fitted (too few pairs, no
solution, an overflow, a text that is not a number); 2 a usage error; 3 the
file cannot be read or the output cannot be written.

Examples:
  kurvilon fit --kind=linear sensor7.txt
  kurvilon fit --format=json --at 12.5 --at 30 < readings.txt
  xclip -o | kurvilon fit --paste --separator=, --lang=ru
  kurvilon chart --kind=quadratic sensor7.txt -o sensor7.svg
  kurvilon report --lang=en sensor7.txt -o sensor7.pdf

The manual page (man kurvilon) says more.
)";

constexpr const char* kVersionRussian = R"(Лицензия GPLv3+: GNU GPL версии 3 или более поздней
<https://gnu.org/licenses/gpl.html>.
Это свободное ПО: вы можете изменять и распространять его.
НИКАКИХ ГАРАНТИЙ не предоставляется в пределах, допускаемых законом.
)";

constexpr const char* kVersionEnglish =
    R"(License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";

}  // namespace

static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == static_cast<std::size_t>(CliText::LocaleNotRead) + 1);

const char* Text(CliText id, int language) {
    return kTexts[static_cast<int>(id)].In(language);
}

const char* ClassWord(ResidualClass c, int language) {
    return kClassWords[static_cast<int>(c)].In(language);
}

std::string Fill(std::string_view text, std::string_view a1, std::string_view a2, std::string_view a3) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char k = text[i + 1];
            if (k == 's' || k == '1' || k == '2' || k == '3') {
                out += k == '2' ? a2 : k == '3' ? a3 : a1;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string HelpText(int language) {
    return language == 1 ? kHelpEnglish : kHelpRussian;
}

std::string VersionText(int language) {
    return std::string("kurvilon (Kurvilon) " KURVILON_VERSION_STRING "\n") +
           (language == 1 ? "Copyright (C) 2026 Kurvilon developers\n"
                          : "Copyright (C) 2026 Разработчики Kurvilon\n") +
           (language == 1 ? kVersionEnglish : kVersionRussian);
}

}  // namespace kurv::cli
