<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>snpln</name>
    <message>
        <source>This file not found</source>
        <translation>Файл не найден</translation>
    </message>
    <message>
        <source>This file consist of english symbols only</source>
        <translation>Файл содержит только английские символы</translation>
    </message>
    <message>
        <source>This file has coding %1</source>
        <translation>Файл в кодировке %1</translation>
    </message>
    <message>
        <source>This file just is in same coding</source>
        <translation>Файл уже в этой кодировке</translation>
    </message>
    <message>
        <source>This file is not text: it holds a zero byte</source>
        <translation>Файл не текстовый: в нём нулевой байт</translation>
    </message>
    <message>
        <source>Unable to open temporary file</source>
        <translation>Невозможно открыть временный файл</translation>
    </message>
    <message>
        <source>Unable to keep the owner and group of this file</source>
        <translation>Невозможно сохранить владельца и группу файла</translation>
    </message>
    <message>
        <source>Unable to keep the mode and attributes of this file</source>
        <translation>Невозможно сохранить права и атрибуты файла</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Операция отменена</translation>
    </message>
    <message>
        <source>Error reading file</source>
        <translation>Ошибка чтения файла</translation>
    </message>
    <message>
        <source>Error writing file</source>
        <translation>Ошибка записи файла</translation>
    </message>
    <message>
        <source>Line in file is too long (greater than %1 bytes)</source>
        <translation>Слишком длинная строка в файле (более %1 байт)</translation>
    </message>
    <message>
        <source>Replacement text cannot be written in %1</source>
        <translation>Текст замены нельзя записать в %1</translation>
    </message>
    <message>
        <source>Invalid UTF-8 at byte %1</source>
        <translation>Неверный UTF-8 в байте %1</translation>
    </message>
    <message>
        <source>Character at byte %1 cannot be written in %2</source>
        <translation>Символ в байте %1 нельзя записать в %2</translation>
    </message>
    <message>
        <source>File(s) successfully converted</source>
        <translation>Файл(ы) успешно преобразованы</translation>
    </message>
    <message>
        <source>Are you want to exclude empty string from file 8-) ?</source>
        <translation>Вы хотите исключить из файла пустую строку 8-) ?</translation>
    </message>
    <message>
        <source>File or directory not found</source>
        <translation>Файл или каталог не найден</translation>
    </message>
    <message>
        <source>Processing this directory and its subdirectories is completed</source>
        <translation>Обработка каталога и его подкаталогов завершена</translation>
    </message>
    <message>
        <source>Error reading directory</source>
        <translation>Ошибка чтения каталога</translation>
    </message>
    <message>
        <source>Not enough memory to walk this directory</source>
        <translation>Недостаточно памяти для обхода каталога</translation>
    </message>
    <message>
        <source>From file(s) successfully excluded given string</source>
        <translation>Из файла(ов) успешно исключена заданная строка</translation>
    </message>
    <message>
        <source>File(s) successfully optimized</source>
        <translation>Файл(ы) успешно оптимизированы</translation>
    </message>
    <message>
        <source>From file(s) deleted excessive empty lines,</source>
        <translation>Из файла(ов) удалены лишние пустые строки,</translation>
    </message>
    <message>
        <source>with upper case</source>
        <translation>в верхний регистр</translation>
    </message>
    <message>
        <source>with lower case</source>
        <translation>в нижний регистр</translation>
    </message>
    <message>
        <source>with &apos;smart&apos; case</source>
        <translation>в &apos;умный&apos; регистр</translation>
    </message>
    <message>
        <source>Number of hits: %1</source>
        <translation>Найдено: %1</translation>
    </message>
    <message>
        <source>and replaced with received string, Nr. of hits: %1</source>
        <translation>и заменена полученной строкой, найдено: %1</translation>
    </message>
    <message>
        <source>from %1 to %2</source>
        <translation>из %1 в %2</translation>
    </message>
    <message>
        <source>with coding autodetect  to %1</source>
        <translation>с автоопределением кодировки в %1</translation>
    </message>
    <message>
        <source>from %1  to %2</source>
        <translation>из %1 в %2</translation>
    </message>
    <message>
        <source>I&apos;m surprised :)</source>
        <translation>Я удивлён :)</translation>
    </message>
    <message>
        <source>would be converted</source>
        <translation>будет преобразован</translation>
    </message>
    <message>
        <source>1 character had no equivalent in the target page</source>
        <translation>1 символ без соответствия в целевой кодировке</translation>
    </message>
    <message>
        <source>%1 characters had no equivalent in the target page</source>
        <translation>Символов без соответствия в целевой кодировке: %1</translation>
    </message>
    <message>
        <source>Selected upper case convert file mode</source>
        <translation>Выбран перевод в верхний регистр</translation>
    </message>
    <message>
        <source>Unselected upper case convert file mode</source>
        <translation>Отменён перевод в верхний регистр</translation>
    </message>
    <message>
        <source>Selected recode to &apos;&apos;Win1251&apos;&apos; convert file mode</source>
        <translation>Выбрана перекодировка в &apos;&apos;Win1251&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected recode to &apos;&apos;Win1251&apos;&apos; convert file mode</source>
        <translation>Отменена перекодировка в &apos;&apos;Win1251&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected recode to &apos;&apos;Koi&apos;&apos; convert file mode</source>
        <translation>Выбрана перекодировка в &apos;&apos;Koi&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected recode to &apos;&apos;Koi&apos;&apos; convert file mode</source>
        <translation>Отменена перекодировка в &apos;&apos;Koi&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected recode to &apos;&apos;Iso&apos;&apos; convert file mode</source>
        <translation>Выбрана перекодировка в &apos;&apos;Iso&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected recode to &apos;&apos;Iso&apos;&apos; convert file mode</source>
        <translation>Отменена перекодировка в &apos;&apos;Iso&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected recode to &apos;&apos;Dos&apos;&apos; convert file mode</source>
        <translation>Выбрана перекодировка в &apos;&apos;Dos&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected recode to &apos;&apos;Dos&apos;&apos; convert file mode</source>
        <translation>Отменена перекодировка в &apos;&apos;Dos&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected lower case convert file mode</source>
        <translation>Выбран перевод в нижний регистр</translation>
    </message>
    <message>
        <source>Unselected lower case convert file mode</source>
        <translation>Отменён перевод в нижний регистр</translation>
    </message>
    <message>
        <source>Selected &apos;smart&apos; case convert file mode</source>
        <translation>Выбран перевод в &apos;умный&apos; регистр</translation>
    </message>
    <message>
        <source>Unselected &apos;smart&apos; case convert file mode</source>
        <translation>Отменён перевод в &apos;умный&apos; регистр</translation>
    </message>
    <message>
        <source>Selected snipline convert file mode</source>
        <translation>Выбрано исключение строки</translation>
    </message>
    <message>
        <source>Unselected snipline convert file mode</source>
        <translation>Отменено исключение строки</translation>
    </message>
    <message>
        <source>Selected replace symbols convert file mode</source>
        <translation>Выбрана замена строки</translation>
    </message>
    <message>
        <source>Unselected replace symbols convert file mode</source>
        <translation>Отменена замена строки</translation>
    </message>
    <message>
        <source>Selected optimize convert file mode</source>
        <translation>Выбрана оптимизация табуляциями</translation>
    </message>
    <message>
        <source>Unselected optimize convert file mode</source>
        <translation>Отменена оптимизация табуляциями</translation>
    </message>
    <message>
        <source>Selected delete excessive lines convert file mode</source>
        <translation>Выбрано удаление лишних пустых строк</translation>
    </message>
    <message>
        <source>Unselected delete excessive lines convert file mode</source>
        <translation>Отменено удаление лишних пустых строк</translation>
    </message>
    <message>
        <source>Selected detect file source mode</source>
        <translation>Выбрано определение кодировки файла</translation>
    </message>
    <message>
        <source>Unselected detect file source mode</source>
        <translation>Отменено определение кодировки файла</translation>
    </message>
    <message>
        <source>Selected source for file - &apos;&apos;Win1251&apos;&apos;</source>
        <translation>Выбрана исходная кодировка - &apos;&apos;Win1251&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected source for file - &apos;&apos;Win1251&apos;&apos;</source>
        <translation>Отменена исходная кодировка - &apos;&apos;Win1251&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected source for file - &apos;&apos;Koi8&apos;&apos;</source>
        <translation>Выбрана исходная кодировка - &apos;&apos;Koi8&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected source for file - &apos;&apos;Koi8&apos;&apos;</source>
        <translation>Отменена исходная кодировка - &apos;&apos;Koi8&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected source for file - &apos;&apos;Iso&apos;&apos;</source>
        <translation>Выбрана исходная кодировка - &apos;&apos;Iso&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected source for file - &apos;&apos;Iso&apos;&apos;</source>
        <translation>Отменена исходная кодировка - &apos;&apos;Iso&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected source for file - &apos;&apos;Dos&apos;&apos;</source>
        <translation>Выбрана исходная кодировка - &apos;&apos;Dos&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected source for file - &apos;&apos;Dos&apos;&apos;</source>
        <translation>Отменена исходная кодировка - &apos;&apos;Dos&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected file source autodetect</source>
        <translation>Выбрано автоопределение исходной кодировки</translation>
    </message>
    <message>
        <source>Unselected file source autodetect</source>
        <translation>Отменено автоопределение исходной кодировки</translation>
    </message>
    <message>
        <source>Selected recode to &apos;&apos;UTF-8&apos;&apos; convert file mode</source>
        <translation>Выбрана перекодировка в &apos;&apos;UTF-8&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected recode to &apos;&apos;UTF-8&apos;&apos; convert file mode</source>
        <translation>Отменена перекодировка в &apos;&apos;UTF-8&apos;&apos;</translation>
    </message>
    <message>
        <source>Selected source for file - &apos;&apos;UTF-8&apos;&apos;</source>
        <translation>Выбрана исходная кодировка - &apos;&apos;UTF-8&apos;&apos;</translation>
    </message>
    <message>
        <source>Unselected source for file - &apos;&apos;UTF-8&apos;&apos;</source>
        <translation>Отменена исходная кодировка - &apos;&apos;UTF-8&apos;&apos;</translation>
    </message>
    <message>
        <source>No action selected</source>
        <translation>Действие не выбрано</translation>
    </message>
    <message>
        <source>At the first choose filename , then click button [DO it !] ;)</source>
        <translation>Сначала выберите файл , затем нажмите [ВЫПОЛНИТЬ !] ;)</translation>
    </message>
    <message>
        <source>So,what I must to do ? Choose any file manipulation ;)</source>
        <translation>Итак, что мне делать ? Выберите какую-нибудь обработку ;)</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; is choosed</source>
        <translation>Выбран файл &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 files are choosed</source>
        <translation>Выбрано файлов: %1</translation>
    </message>
    <message>
        <source>File list is cleaned. No file is choosed.</source>
        <translation>Список файлов очищен. Файлы не выбраны.</translation>
    </message>
    <message>
        <source>Browsing file ...</source>
        <translation>Выбор файла ...</translation>
    </message>
    <message>
        <source>File(s) choose canceled</source>
        <translation>Выбор файлов отменён</translation>
    </message>
    <message>
        <source>Enter text for exclude</source>
        <translation>Введите исключаемый текст</translation>
    </message>
    <message>
        <source>Enter text for replace</source>
        <translation>Введите текст для замены</translation>
    </message>
    <message>
        <source>Enter tab size (default - 8)</source>
        <translation>Шаг табуляции (по умолчанию - 8)</translation>
    </message>
    <message>
        <source>Symbolic link, passed over</source>
        <translation>Символическая ссылка, пропущена</translation>
    </message>
    <message>
        <source>Not a regular file, passed over</source>
        <translation>Не обычный файл, пропущен</translation>
    </message>
    <message>
        <source>Name begins with a dot, passed over</source>
        <translation>Имя начинается с точки, пропущено</translation>
    </message>
    <message>
        <source>Upper case</source>
        <translation>Верхний регистр</translation>
    </message>
    <message>
        <source>Recode to WIN</source>
        <translation>Перекодировка в WIN</translation>
    </message>
    <message>
        <source>Recode to KOI</source>
        <translation>Перекодировка в KOI</translation>
    </message>
    <message>
        <source>Recode to ISO</source>
        <translation>Перекодировка в ISO</translation>
    </message>
    <message>
        <source>Recode to DOS</source>
        <translation>Перекодировка в DOS</translation>
    </message>
    <message>
        <source>Lower case</source>
        <translation>Нижний регистр</translation>
    </message>
    <message>
        <source>Smart case</source>
        <translation>Умный регистр</translation>
    </message>
    <message>
        <source>Exclude</source>
        <translation>Исключение</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Замена</translation>
    </message>
    <message>
        <source>Optimize</source>
        <translation>Оптимизация</translation>
    </message>
    <message>
        <source>Delete excessive</source>
        <translation>Удаление лишних</translation>
    </message>
    <message>
        <source>Detect coding</source>
        <translation>Определение кодировки</translation>
    </message>
    <message>
        <source>Recode to UTF-8</source>
        <translation>Перекодировка в UTF-8</translation>
    </message>
</context>
</TS>
