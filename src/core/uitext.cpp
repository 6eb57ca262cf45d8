// The interface texts, in the order of TextId.
#include "core/uitext.h"

namespace kurv {

namespace {

constexpr TextPair kTexts[kUiTextCount] = {
    {"Аппроксимация экспериментальных данных", "Approximation of the experimental data"},
    {"Файл", "File"},
    {"Правка", "Edit"},
    {"Параметры", "Parameters"},
    {"О программе", "About"},
    {"Чтение", "Read"},
    {"Запись", "Write"},
    {"Выход", "Exit"},
    {"Очистить таблицу", "Table clear"},
    {"Копировать таблицу", "Table Copy"},
    {"Вставить таблицу", "Table Paste"},
    {"Добавить данные из буфера", "Append data from clipboard"},
    {"Очистить колонку", "Column clear"},
    {"Копировать колонку", "Column copy"},
    {"Вставить колонку", "Column paste"},
    {"Удалить выделенные строки", "Select strings delete"},
    {"Сортировать", "Data sort"},
    {"Точки для нахождения значений аппроксимирующей функции",
     "Point to find the values of the approximating function"},
    {"Язык (Language)", "Language (Язык)"},
    {"Русский", "Русский"},
    {"English", "English"},
    {"Экспериментальные данные", "Test data"},
    {"Y (истинное)", "Y (true)"},
    {"X (по прибору)", "X (gauge)"},
    {"Y полученное", "Y obtained"},
    {"Недостаточно данных", "insufficient data"},
    {"Заполните таблицу значений Y(X)", "Complete the table of values Y(X)"},
    {"Макс. ошибка", "Max. error"},
    {"Среднекв. отклонение", "Rms. deviation"},
    {"Всегда наверху", "On top"},
    {"Вид функции:", "Type of function"},
    {"Линейная", "Linear"},
    {"Квадратичная", "Quadratic"},
    {"Кубическая", "Cubic"},
    {"Печатать график", "Print graph"},
    {"Копировать", "Copy graph"},
    {"Копировать", "Copy graph"},
    {"Введите в таблицу", "Enter the experimental"},
    {"экспериментальные", "data in the table"},
    {"данные и выберите вид", "and select"},
    {"функции.", "the function type."},
    {"Под таблицей появятся", "Below the table appear"},
    {"коэффициенты выбранной", "the coefficients"},
    {"функции, вычисленные", "of the selected function,"},
    {"по методу наименьших", "calculated by the method"},
    {"квадратов", "of least squares and"},
    {"и соответствующие", "corresponding"},
    {"введенным данным.", "to the input data."},
    {"Результат аппроксимации", "The result of the approximation"},
    {"Копировать", "Coef. copy"},
    {"Копировать коэффициенты", "Copy coefficients"},
    {"Линейная аппроксимация", "The linear approximation"},
    {"Квадратичная аппроксимация", "The quadratic approximation"},
    {"Кубическая аппроксимация", "The cubic approximation"},
    {"Коэффициенты определить невозможно", "The coefficients can not be determined"},
    {"Невозможно вычислить коэффициенты", "It is impossible to calculate the odds"},
    // Appended to the rejected input, hence the leading space.
    {" не является правильным числом\nПримеры правильного ввода:\n   0,25\n   -15,74e4\n   +15638e-5",
     " is not a valid number\nExamples of valid input:\n   0,25\n   -15,74e4\n   +15638e-5"},
    {"Неверный ввод числа", "Invalid Input number"},
    {"Буфер обмена содержит неверные данные", "The clipboard contains invalid data"},
    {"Невозможно вставить данные из буфера обмена", "Can not insert data from the clipboard"},
};

}  // namespace

static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == kUiTextCount);

const char* UiText(TextId id, int language) {
    return UiText(static_cast<int>(id), language);
}

const char* UiText(int id, int language) {
    if (id < 0 || id >= kUiTextCount) return "";
    return language == 1 ? kTexts[id].eng : kTexts[id].rus;
}

}  // namespace kurv
