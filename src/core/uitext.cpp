// The interface texts. Ids are fixed: the main window, the messages and the
// About box address texts by number.
#include "core/uitext.h"

namespace kurv {

namespace {

struct TextPair {
    const char* rus;
    const char* eng;
};

constexpr TextPair kTexts[kUiTextCount] = {
    /* 0 */ {"Аппроксимация экспериментальных данных", "Approximation of the experimental data"},
    /* 1 */ {"Файл", "File"},
    /* 2 */ {"Правка", "Edit"},
    /* 3 */ {"Параметры", "Parameters"},
    /* 4 */ {"О программе", "About"},
    /* 5 */ {"Чтение", "Read"},
    /* 6 */ {"Запись", "Write"},
    /* 7 */ {"Выход", "Exit"},
    /* 8 */ {"Очистить таблицу", "Table clear"},
    /* 9 */ {"Копировать таблицу", "Table Copy"},
    /* 10 */ {"Вставить таблицу", "Table Paste"},
    /* 11 */ {"Добавить данные из буфера", "Append data from clipboard"},
    /* 12 */ {"Очистить колонку", "Column clear"},
    /* 13 */ {"Копировать колонку", "Column copy"},
    /* 14 */ {"Вставить колонку", "Column paste"},
    /* 15 */ {"Удалить выделенные строки", "Select strings delete"},
    /* 16 */ {"Сортировать", "Data sort"},
    /* 17 */
    {"Точки для нахождения значений аппроксимирующей функции",
     "Point to find the values of the approximating function"},
    /* 18 */ {"Язык (Language)", "Language (Язык)"},
    /* 19 */ {"Русский", "Русский"},
    /* 20 */ {"English", "English"},
    /* 21 */ {"Экспериментальные данные", "Test data"},
    /* 22 */ {"Y (истинное)", "Y (true)"},
    /* 23 */ {"X (по прибору)", "X (gauge)"},
    /* 24 */ {"Y полученное", "Y obtained"},
    /* 25 */ {"Недостаточно данных", "insufficient data"},
    /* 26 */ {"Заполните таблицу значений Y(X)", "Complete the table of values Y(X)"},
    /* 27 */ {"Макс. ошибка", "Max. error"},
    /* 28 */ {"Среднекв. отклонение", "Rms. deviation"},
    /* 29 */ {"Всегда наверху", "On top"},
    /* 30 */ {"Вид функции:", "Type of function"},
    /* 31 */ {"Линейная", "Linear"},
    /* 32 */ {"Квадратичная", "Quadratic"},
    /* 33 */ {"Кубическая", "Cubic"},
    /* 34 */ {"Печатать график", "Print graph"},
    /* 35 */ {"Копировать", "Copy graph"},
    /* 36 */ {"Копировать", "Copy graph"},
    /* 37 */ {"Введите в таблицу", "Enter the experimental"},
    /* 38 */ {"экспериментальные", "data in the table"},
    /* 39 */ {"данные и выберите вид", "and select"},
    /* 40 */ {"функции.", "the function type."},
    /* 41 */ {"Под таблицей появятся", "Below the table appear"},
    /* 42 */ {"коэффициенты выбранной", "the coefficients"},
    /* 43 */ {"функции, вычисленные", "of the selected function,"},
    /* 44 */ {"по методу наименьших", "calculated by the method"},
    /* 45 */ {"квадратов", "of least squares and"},
    /* 46 */ {"и соответствующие", "corresponding"},
    /* 47 */ {"введенным данным.", "to the input data."},
    /* 48 */ {"Результат аппроксимации", "The result of the approximation"},
    /* 49 */ {"Копировать", "Coef. copy"},
    /* 50 */ {"Копировать коэффициенты", "Copy coefficients"},
    /* 51 */ {"Линейная аппроксимация", "The linear approximation"},
    /* 52 */ {"Квадратичная аппроксимация", "The quadratic approximation"},
    /* 53 */ {"Кубическая аппроксимация", "The cubic approximation"},
    /* 54 */ {"Коэффициенты определить невозможно", "The coefficients can not be determined"},
    /* 55 */ {"Невозможно вычислить коэффициенты", "It is impossible to calculate the odds"},
    // Appended to the rejected input, hence the leading space.
    /* 56 */
    {" не является правильным числом\nПримеры правильного ввода:\n   0,25\n   -15,74e4\n   +15638e-5",
     " is not a valid number\nExamples of valid input:\n   0,25\n   -15,74e4\n   +15638e-5"},
    /* 57 */ {"Неверный ввод числа", "Invalid Input number"},
    /* 58 */ {"Буфер обмена содержит неверные данные", "The clipboard contains invalid data"},
    /* 59 */ {"Невозможно вставить данные из буфера обмена", "Can not insert data from the clipboard"},
};

}  // namespace

const char* UiText(int id, int language) {
    if (id < 0 || id >= kUiTextCount) return "";
    return language == 1 ? kTexts[id].eng : kTexts[id].rus;
}

}  // namespace kurv
