<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>loading</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>Пре&amp;рвать</translation>
    </message>
</context>
<context>
    <name>pictures</name>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>ВЫХОД</translation>
    </message>
    <message>
        <source>&amp;UPPER</source>
        <translation>&amp;ВЕРХНИЙ</translation>
    </message>
    <message>
        <source>&amp;lower</source>
        <translation>&amp;нижний</translation>
    </message>
    <message>
        <source>&amp;Smart</source>
        <translation>&amp;Умный</translation>
    </message>
    <message>
        <source>&amp;Exclude</source>
        <translation>&amp;Исключить</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Заменить</translation>
    </message>
    <message>
        <source>&amp;Optimize</source>
        <translation>&amp;Оптимизир.</translation>
    </message>
    <message>
        <source>&amp;Del. empty</source>
        <translation>Уд. &amp;пустые</translation>
    </message>
    <message>
        <source>AUTO</source>
        <translation>АВТО</translation>
    </message>
    <message>
        <source>De&amp;tect coding</source>
        <translation>Оп&amp;ределить</translation>
    </message>
    <message>
        <source>DO &amp;IT!</source>
        <translation>ВЫПОЛНИ&amp;ТЬ!</translation>
    </message>
    <message>
        <source>E&amp;XIT</source>
        <translation>ВЫХО&amp;Д</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>Ин&amp;фо</translation>
    </message>
    <message>
        <source>File
&amp;preview</source>
        <translation>Прос&amp;мотр
файла</translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation>О&amp;бзор...</translation>
    </message>
    <message>
        <source>&amp;Folder...</source>
        <translation>Пап&amp;ка...</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Сброс</translation>
    </message>
    <message>
        <source>&amp;AUTO</source>
        <translation>&amp;АВТО</translation>
    </message>
    <message>
        <source>Un&amp;garble</source>
        <translation>По&amp;чинить</translation>
    </message>
</context>
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
    <message>
        <source>Unable to keep the date of this file</source>
        <translation>Невозможно сохранить дату файла</translation>
    </message>
    <message>
        <source>This file is not UTF-8: its byte order mark is left as it is</source>
        <translation>Этот файл не в UTF-8: метка порядка байтов не изменена</translation>
    </message>
    <message>
        <source>This file already begins with a byte order mark</source>
        <translation>Этот файл уже начинается с метки порядка байтов</translation>
    </message>
    <message>
        <source>This file has no byte order mark</source>
        <translation>В этом файле нет метки порядка байтов</translation>
    </message>
    <message>
        <source>1 character substituted</source>
        <translation>заменён 1 символ</translation>
    </message>
    <message>
        <source>%1 characters substituted</source>
        <translation>заменено символов: %1</translation>
    </message>
    <message>
        <source>with LF line ends</source>
        <translation>с концами строк LF</translation>
    </message>
    <message>
        <source>with CR LF line ends</source>
        <translation>с концами строк CR LF</translation>
    </message>
    <message>
        <source>with CR line ends</source>
        <translation>с концами строк CR</translation>
    </message>
    <message>
        <source>with a byte order mark added</source>
        <translation>с добавленной меткой порядка байтов</translation>
    </message>
    <message>
        <source>with its byte order mark removed</source>
        <translation>с удалённой меткой порядка байтов</translation>
    </message>
    <message>
        <source>Line ends</source>
        <translation>Концы строк</translation>
    </message>
    <message>
        <source>Byte order mark</source>
        <translation>Метка порядка байтов</translation>
    </message>
    <message>
        <source>Character %1 of the replacement text cannot be written in %2</source>
        <translation>Символ %1 текста замены нельзя записать в %2</translation>
    </message>
    <message>
        <source>Invalid UTF-8 at line %2, column %3 (byte %1)</source>
        <translation>Неверный UTF-8 в строке %2, столбце %3 (байт %1)</translation>
    </message>
    <message>
        <source>Character %4 at line %2, column %3 (byte %1) cannot be written in %5</source>
        <translation>Символ %4 в строке %2, столбце %3 (байт %1) нельзя записать в %5</translation>
    </message>
    <message>
        <source>Character at line %2, column %3 (byte %1) cannot be written in %4</source>
        <translation>Символ в строке %2, столбце %3 (байт %1) нельзя записать в %4</translation>
    </message>
    <message>
        <source>File %1 of %2 found so far: &apos;%3&apos;</source>
        <translation>Файл %1 из %2 найденных: &apos;%3&apos;</translation>
    </message>
    <message>
        <source>Unable to keep a backup of this file</source>
        <translation>Не удалось сохранить резервную копию этого файла</translation>
    </message>
    <message>
        <source>This file appeared or changed meanwhile: it is left as it is</source>
        <translation>Этот файл появился или изменился тем временем: он оставлен как есть</translation>
    </message>
    <message>
        <source>the original kept as %1</source>
        <translation>оригинал сохранён как %1</translation>
    </message>
    <message>
        <source>the result goes to %1</source>
        <translation>результат записывается в %1</translation>
    </message>
    <message>
        <source>Invalid UTF-16 at byte %1</source>
        <translation>Неверный UTF-16 в байте %1</translation>
    </message>
    <message>
        <source>UTF-16 text of odd length: byte %1 is left over</source>
        <translation>Текст UTF-16 нечётной длины: байт %1 лишний</translation>
    </message>
    <message>
        <source>This file is in %1: recode it to another page first</source>
        <translation>Этот файл в кодировке %1: сначала перекодируйте его в другую</translation>
    </message>
    <message>
        <source>Recode to UTF-16</source>
        <translation>Перекодировка в UTF-16</translation>
    </message>
    <message>
        <source>About SNPLN</source>
        <translation>О программе SNPLN</translation>
    </message>
    <message>
        <source>Snpln Message</source>
        <translation>Сообщение SNPLN</translation>
    </message>
    <message>
        <source>SNPLN : File preview</source>
        <translation>SNPLN : Просмотр файла</translation>
    </message>
    <message>
        <source>SNPLN : Save file ?</source>
        <translation>SNPLN : Сохранить файл ?</translation>
    </message>
    <message>
        <source>Snipline description</source>
        <translation>Описание Snipline</translation>
    </message>
    <message>
        <source>click</source>
        <translation>клик</translation>
    </message>
    <message>
        <source>Select file manipulation from the follow groups:</source>
        <translation>Выберите обработку файла в группах:</translation>
    </message>
    <message>
        <source>Case group</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>Exclude group</source>
        <translation>Исключение</translation>
    </message>
    <message>
        <source>Optimize group</source>
        <translation>Оптимизация</translation>
    </message>
    <message>
        <source>Sa&amp;ve upper</source>
        <translation>Со&amp;хр. загл.</translation>
    </message>
    <message>
        <source>To</source>
        <translation>В</translation>
    </message>
    <message>
        <source>Recode Group</source>
        <translation>Перекодировка</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Из</translation>
    </message>
    <message>
        <source>Filename(s):</source>
        <translation>Файл(ы):</translation>
    </message>
    <message>
        <source>Filter(s) for subdirectories:</source>
        <translation>Фильтр(ы) подкаталогов:</translation>
    </message>
    <message>
        <source>&amp;About snpln...</source>
        <translation>&amp;О программе snpln...</translation>
    </message>
    <message>
        <source>Recode to %1</source>
        <translation>Перекодировать в %1</translation>
    </message>
    <message>
        <source>Source coding %1</source>
        <translation>Исходная кодировка %1</translation>
    </message>
    <message>
        <source>Progressing file</source>
        <translation>Обрабатывается файл</translation>
    </message>
    <message>
        <source>Excluded string must be ...</source>
        <translation>Строка должна быть ...</translation>
    </message>
    <message>
        <source>&amp;Left part of word</source>
        <translation>&amp;Левой частью слова</translation>
    </message>
    <message>
        <source>&amp;Right part of word</source>
        <translation>&amp;Правой частью слова</translation>
    </message>
    <message>
        <source>C&amp;ase insensitivity</source>
        <translation>Без учёта &amp;регистра</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;ОК</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Сохр.</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;YES</source>
        <translation>&amp;ДА</translation>
    </message>
    <message>
        <source>&amp;NO</source>
        <translation>&amp;НЕТ</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Отмена</translation>
    </message>
    <message>
        <source>This file was modified. Save this file ?</source>
        <translation>Файл был изменён. Сохранить его ?</translation>
    </message>
    <message>
        <source>File: &apos;&apos;%1&apos;&apos; , Filesize: %2 bytes , coding %3</source>
        <translation>Файл: &apos;&apos;%1&apos;&apos; , размер: %2 байт , кодировка %3</translation>
    </message>
    <message>
        <source>File: &apos;&apos;%1&apos;&apos; , Filesize: %2 bytes , coding %3 , file you are see is truncated to %4 bytes buffer , so be CAREFULLY if you will save it on disk !</source>
        <translation>Файл: &apos;&apos;%1&apos;&apos; , размер: %2 байт , кодировка %3 , показаны только первые %4 байт , так что сохраняйте его на диск ОСТОРОЖНО !</translation>
    </message>
    <message>
        <source>On open this file was truncated. So be carefully !</source>
        <translation>При открытии файл был усечён. Будьте осторожны !</translation>
    </message>
    <message>
        <source>Unable to save file</source>
        <translation>Невозможно сохранить файл</translation>
    </message>
    <message>
        <source>&amp;RULEZ-Z-Z</source>
        <translation>&amp;РУЛЕЗ-З-З</translation>
    </message>
    <message>
        <source>By the using program `Snipline (SNPLN)&apos;  you can do:</source>
        <translation>С помощью программы `Snipline (SNPLN)&apos;  можно:</translation>
    </message>
    <message>
        <source>* Delete or change any line in the file herewith you may define</source>
        <translation>* Удалить или заменить любую строку в файле, причём искомое</translation>
    </message>
    <message>
        <source>a change word as a beginning/end of any word or as a full word. </source>
        <translation>может быть началом или концом любого слова или целым словом. </translation>
    </message>
    <message>
        <source>Also you can turn off case sensitivity.</source>
        <translation>Можно также не учитывать регистр.</translation>
    </message>
    <message>
        <source>* Convert a file in upper/lowercase or produce a smart</source>
        <translation>* Перевести файл в верхний или нижний регистр или в «умный»</translation>
    </message>
    <message>
        <source>transformation. &apos;Smart&apos; mean that sentence start with upper case. Also you</source>
        <translation>регистр: «умный» значит, что предложение начинается с заглавной.</translation>
    </message>
    <message>
        <source>can save existing upper case, such as families, other self names.</source>
        <translation>Можно сохранить имеющиеся заглавные: фамилии, имена собственные.</translation>
    </message>
    <message>
        <source>* Delete excessive empty lines in text file. Line is empty if this consist</source>
        <translation>* Удалить лишние пустые строки. Пустая строка состоит только</translation>
    </message>
    <message>
        <source>of SPACEs,TABs. This option dosn&apos;t stupidly delete all empty lines !!! After</source>
        <translation>из пробелов и TAB. Удаляются не все пустые строки подряд !!! После</translation>
    </message>
    <message>
        <source>applying file has maximum suitable to read form. Try for understand.</source>
        <translation>обработки файл удобнее всего читать. Попробуйте и поймёте.</translation>
    </message>
    <message>
        <source>* Optimize a text file on the size to the account of changing the</source>
        <translation>* Уменьшить размер текстового файла, заменив лишние</translation>
    </message>
    <message>
        <source>excessive spaces by symbol tabulation (TAB).  So file has smaller size.</source>
        <translation>пробелы символами табуляции (TAB).  Файл станет меньше.</translation>
    </message>
    <message>
        <source>* Decode file from dos/win1251/koi8/iso/utf-8 coding in the coding</source>
        <translation>* Перекодировать файл из dos/win1251/koi8/iso/utf-8 в кодировку</translation>
    </message>
    <message>
        <source>dos/win1251/koi8/iso/utf-8. Possible autodetection of coding of file. </source>
        <translation>dos/win1251/koi8/iso/utf-8, с автоопределением кодировки файла. </translation>
    </message>
    <message>
        <source>SNPLN support command line with several files. As a file you can indicate</source>
        <translation>SNPLN принимает в командной строке несколько файлов. Можно указать</translation>
    </message>
    <message>
        <source>directory - then all files at this directory and its subdirecories will be</source>
        <translation>и каталог - тогда будут обработаны все файлы в нём и во всех его</translation>
    </message>
    <message>
        <source>processed. Also you can add files by drag&apos;n&apos;drop filelist on SNPLN.</source>
        <translation>подкаталогах. Файлы можно также перетащить мышью на окно SNPLN.</translation>
    </message>
    <message>
        <source>Source: the Snipline repository</source>
        <translation>Код: репозиторий Snipline</translation>
    </message>
    <message>
        <source>Reports: the repository&apos;s issue tracker</source>
        <translation>Ошибки: трекер задач репозитория</translation>
    </message>
    <message>
        <source>Choose file ...</source>
        <translation>Выберите файл ...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Do it</source>
        <translation>Выполнить</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>File preview</source>
        <translation>Просмотр файла</translation>
    </message>
    <message>
        <source>Browse for files</source>
        <translation>Выбрать файлы</translation>
    </message>
    <message>
        <source>Clear the file list</source>
        <translation>Очистить список файлов</translation>
    </message>
    <message>
        <source>Exclude a string</source>
        <translation>Исключить строку</translation>
    </message>
    <message>
        <source>Replace a string</source>
        <translation>Заменить строку</translation>
    </message>
    <message>
        <source>Optimize with TABs</source>
        <translation>Оптимизировать табуляциями</translation>
    </message>
    <message>
        <source>Delete excessive empty lines</source>
        <translation>Удалить лишние пустые строки</translation>
    </message>
    <message>
        <source>Detect the source coding</source>
        <translation>Определять исходную кодировку</translation>
    </message>
    <message>
        <source>Detect coding only</source>
        <translation>Только определить кодировку</translation>
    </message>
    <message>
        <source>Snpln Input</source>
        <translation>Ввод SNPLN</translation>
    </message>
    <message>
        <source>Snpln Options</source>
        <translation>Параметры SNPLN</translation>
    </message>
    <message>
        <source>SNPLN : File not saved</source>
        <translation>SNPLN : Файл не сохранён</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>Пере&amp;читать</translation>
    </message>
    <message>
        <source>Save &amp;as...</source>
        <translation>Сохранить &amp;как...</translation>
    </message>
    <message>
        <source>&amp;Keep editing</source>
        <translation>Про&amp;должить правку</translation>
    </message>
    <message>
        <source>This file was changed by another program since it was opened</source>
        <translation>Файл изменён другой программой после того, как был открыт</translation>
    </message>
    <message>
        <source>File access error: the file is gone or cannot be reached</source>
        <translation>Ошибка доступа к файлу: файл исчез или недоступен</translation>
    </message>
    <message>
        <source>Unable to save file: the file is left as it was</source>
        <translation>Невозможно сохранить файл: файл остался прежним</translation>
    </message>
    <message>
        <source>Your text is still in the editor. Reload drops it and shows the file as it is now; Save as... writes it to another file.</source>
        <translation>Ваш текст остался в редакторе. «Перечитать» отбросит его и покажет файл таким, каков он сейчас; «Сохранить как...» запишет его в другой файл.</translation>
    </message>
    <message>
        <source>Your text is still in the editor: save it as another file, or keep editing.</source>
        <translation>Ваш текст остался в редакторе: сохраните его в другой файл или продолжите правку.</translation>
    </message>
    <message>
        <source>Save as ...</source>
        <translation>Сохранить как ...</translation>
    </message>
    <message>
        <source>Choose folder ...</source>
        <translation>Выберите папку ...</translation>
    </message>
    <message>
        <source>Browse for a folder</source>
        <translation>Выбрать папку</translation>
    </message>
    <message>
        <source>accept (Enter)</source>
        <translation>принять (Enter)</translation>
    </message>
    <message>
        <source>give up (Esc)</source>
        <translation>отказаться (Esc)</translation>
    </message>
    <message>
        <source>run the selected operations on the chosen files</source>
        <translation>выполнить выбранные действия над выбранными файлами</translation>
    </message>
    <message>
        <source>close the window (Esc)</source>
        <translation>закрыть окно (Esc)</translation>
    </message>
    <message>
        <source>about the program and what it does (F1)</source>
        <translation>о программе и о том, что она умеет (F1)</translation>
    </message>
    <message>
        <source>show the chosen file, edit it and save it</source>
        <translation>показать выбранный файл, править и сохранить его</translation>
    </message>
    <message>
        <source>choose files</source>
        <translation>выбрать файлы</translation>
    </message>
    <message>
        <source>choose a folder: its files and subfolders are worked through</source>
        <translation>выбрать папку: будут обработаны её файлы и подпапки</translation>
    </message>
    <message>
        <source>empty the file list</source>
        <translation>очистить список файлов</translation>
    </message>
    <message>
        <source>convert to upper case</source>
        <translation>перевести в верхний регистр</translation>
    </message>
    <message>
        <source>convert to lower case</source>
        <translation>перевести в нижний регистр</translation>
    </message>
    <message>
        <source>&apos;smart&apos; case: each sentence starts with a capital</source>
        <translation>«умный» регистр: каждое предложение с заглавной буквы</translation>
    </message>
    <message>
        <source>delete every occurrence of a string</source>
        <translation>удалить все вхождения строки</translation>
    </message>
    <message>
        <source>replace every occurrence of a string with another</source>
        <translation>заменить все вхождения строки другой строкой</translation>
    </message>
    <message>
        <source>turn runs of blanks into TABs</source>
        <translation>заменить серии пробелов символами TAB</translation>
    </message>
    <message>
        <source>delete excessive empty lines</source>
        <translation>удалить лишние пустые строки</translation>
    </message>
    <message>
        <source>the source&apos;s code page is detected in each file</source>
        <translation>исходная кодировка определяется в каждом файле</translation>
    </message>
    <message>
        <source>only say which code page each file is in</source>
        <translation>только сообщить кодировку каждого файла</translation>
    </message>
    <message>
        <source>recode to %1</source>
        <translation>перекодировать в %1</translation>
    </message>
    <message>
        <source>the source is %1</source>
        <translation>исходная кодировка %1</translation>
    </message>
    <message>
        <source>Snipline (SNPLN) v%1, Russian text file tool</source>
        <translation>Snipline (SNPLN) v%1, русские тексты</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Все файлы (*.*)</translation>
    </message>
    <message>
        <source>File access error</source>
        <translation>Ошибка доступа к файлу</translation>
    </message>
    <message>
        <source>File text</source>
        <translation>Текст файла</translation>
    </message>
    <message>
        <source>The new content of this file is in place, but its directory could not be flushed to the disk</source>
        <translation>Новое содержимое файла на месте, но его каталог не удалось сбросить на диск</translation>
    </message>
    <message>
        <source>Backup of a file beside it, passed over</source>
        <translation>Резервная копия соседнего файла, пропущена</translation>
    </message>
    <message>
        <source>Nothing in this file would change: it is left as it was</source>
        <translation>В этом файле ничего не изменилось бы: он оставлен как был</translation>
    </message>
    <message>
        <source>Home page: %1</source>
        <translation>Сайт: %1</translation>
    </message>
    <message>
        <source>Licence text: the LICENSE file</source>
        <translation>Текст лицензии: файл LICENSE</translation>
    </message>
    <message>
        <source>MIT License (c) 2026 SNPLN authors</source>
        <translation>Лицензия MIT (c) 2026 авторы SNPLN</translation>
    </message>
    <message>
        <source>Loading the text into the editor: %1 %</source>
        <translation>Загрузка текста в редактор: %1 %</translation>
    </message>
    <message>
        <source>UTF-16 shown in part: it can only be viewed</source>
        <translation>UTF-16 показан не целиком: только просмотр</translation>
    </message>
    <message>
        <source>broken UTF-16 (a lone surrogate or an odd byte): it can only be viewed</source>
        <translation>испорченный UTF-16 (одиночный суррогат или лишний байт): только просмотр</translation>
    </message>
    <message>
        <source>This file is read-only. Save anyway?</source>
        <translation>Файл только для чтения. Всё равно сохранить?</translation>
    </message>
    <message>
        <source>Nothing garbled found: the file is left as it was</source>
        <translation>Испорченного текста не найдено: файл оставлен как был</translation>
    </message>
    <message>
        <source>This file is not UTF-8 text: there is nothing to repair</source>
        <translation>Этот файл не текст в UTF-8: исправлять нечего</translation>
    </message>
    <message>
        <source>The text at byte %1 cannot be repaired: the file is left as it was</source>
        <translation>Текст в байте %1 исправить нельзя: файл оставлен как был</translation>
    </message>
    <message>
        <source>%1 read as %2</source>
        <translation>%1, прочитанный как %2</translation>
    </message>
    <message>
        <source>%1, twice</source>
        <translation>%1, дважды</translation>
    </message>
    <message>
        <source>%1, three times</source>
        <translation>%1, трижды</translation>
    </message>
    <message>
        <source>%1, line by line (1 line)</source>
        <translation>%1, построчно (1 строка)</translation>
    </message>
    <message>
        <source>%1, line by line (%2 lines)</source>
        <translation>%1, построчно (строк: %2)</translation>
    </message>
    <message>
        <source>File(s) successfully repaired</source>
        <translation>Файл(ы) успешно исправлен(ы)</translation>
    </message>
    <message>
        <source>would be repaired</source>
        <translation>будет исправлен</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>Исправление</translation>
    </message>
    <message>
        <source>%1, then as %2</source>
        <translation>%1, затем как %2</translation>
    </message>
    <message>
        <source>looks like %1: --repair undoes it</source>
        <translation>похоже на %1: --repair это исправит</translation>
    </message>
    <message>
        <source>The text at line %2, column %3 (byte %1) cannot be repaired: the file is left as it was</source>
        <translation>Текст в строке %2, столбце %3 (байт %1) исправить нельзя: файл оставлен как был</translation>
    </message>
    <message>
        <source>&quot;%1&quot; becomes &quot;%2&quot;</source>
        <translation>«%1» станет «%2»</translation>
    </message>
    <message>
        <source>--substitute writes look-alikes</source>
        <translation>--substitute пишет похожие символы</translation>
    </message>
    <message>
        <source>Selected repair garbled text mode</source>
        <translation>Выбрано исправление искажённого текста</translation>
    </message>
    <message>
        <source>Unselected repair garbled text mode</source>
        <translation>Отменено исправление искажённого текста</translation>
    </message>
    <message>
        <source>Repair garbled text</source>
        <translation>Исправить искажённый текст</translation>
    </message>
    <message>
        <source>repair garbled text (UTF-8 read in a wrong page) before the other operations</source>
        <translation>исправить искажённый текст (UTF-8, прочитанный в чужой кодировке) до остальных операций</translation>
    </message>
    <message>
        <source>line ends %1</source>
        <translation>концы строк %1</translation>
    </message>
    <message>
        <source>no line end</source>
        <translation>нет концов строк</translation>
    </message>
    <message>
        <source>mixed line ends</source>
        <translation>смешанные концы строк</translation>
    </message>
    <message>
        <source>byte order mark %1</source>
        <translation>метка порядка байтов %1</translation>
    </message>
    <message>
        <source>no byte order mark</source>
        <translation>без метки порядка байтов</translation>
    </message>
    <message>
        <source>holds Ukrainian letters outside KOI8-R</source>
        <translation>содержит украинские буквы вне KOI8-R</translation>
    </message>
    <message>
        <source>holds Ukrainian letters outside CP866</source>
        <translation>содержит украинские буквы вне CP866</translation>
    </message>
    <message>
        <source>holds capitals and я outside Windows-1251</source>
        <translation>содержит заглавные буквы и я вне Windows-1251</translation>
    </message>
    <message>
        <source>holds quotes, dashes and Ё outside CP866</source>
        <translation>содержит кавычки, тире и Ё вне CP866</translation>
    </message>
    <message>
        <source>Unable to read this file</source>
        <translation>Невозможно прочитать этот файл</translation>
    </message>
    <message>
        <source>Already worked on in this run, passed over</source>
        <translation>Уже обработан в этом запуске, пропущен</translation>
    </message>
    <message>
        <source>shown repaired, not saved: %1</source>
        <translation>показан исправленным, не сохранён: %1</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Другая</translation>
    </message>
    <message>
        <source>Other page to recode fro&amp;m</source>
        <translation>Друга&amp;я исходная кодировка</translation>
    </message>
    <message>
        <source>the source is the page chosen here</source>
        <translation>исходная кодировка — выбранная здесь</translation>
    </message>
    <message>
        <source>Other page to recode i&amp;nto</source>
        <translation>Другая це&amp;левая кодировка</translation>
    </message>
    <message>
        <source>recode to the page chosen here</source>
        <translation>перекодировать в выбранную здесь</translation>
    </message>
    <message>
        <source>looking for garbled text ...</source>
        <translation>поиск испорченного текста ...</translation>
    </message>
    <message>
        <source>the repaired text is only shown: DO IT writes it</source>
        <translation>исправленный текст только показан: записывает его ВЫПОЛНИТЬ!</translation>
    </message>
    <message>
        <source>Another name (a hard link) of a file already worked on, passed over</source>
        <translation>Другое имя (жёсткая ссылка) уже обработанного файла, пропущено</translation>
    </message>
    <message>
        <source>Unable to make the output file</source>
        <translation>Не удалось создать выходной файл</translation>
    </message>
    <message>
        <source>The output is not a regular file: nothing is written to it</source>
        <translation>Выходной файл не является обычным файлом: в него ничего не записано</translation>
    </message>
    <message>
        <source>In use by another program: skipped, the file is left as it was</source>
        <translation>Занят другой программой: пропущен, файл оставлен как был</translation>
    </message>
    <message>
        <source>File %1 of %2: &apos;%3&apos;</source>
        <translation>Файл %1 из %2: &apos;%3&apos;</translation>
    </message>
    <message>
        <source>Waiting for %1: in use by another program</source>
        <translation>Ожидание %1: занят другой программой</translation>
    </message>
    <message>
        <source>Canceled: %1 files done, %2 not reached</source>
        <translation>Отменено: обработано файлов: %1, не достигнуто: %2</translation>
    </message>
    <message>
        <source>Canceled: %1 files done, %2 not touched</source>
        <translation>Отменено: обработано файлов: %1, не тронуто: %2</translation>
    </message>
    <message>
        <source>Files converted: %1, unchanged: %2, failed: %3</source>
        <translation>Файлов преобразовано: %1, без изменений: %2, с ошибкой: %3</translation>
    </message>
    <message>
        <source>left as they were: %1</source>
        <translation>оставлено: %1</translation>
    </message>
    <message>
        <source>characters sent to a fill byte: %1</source>
        <translation>заменено заполнителем: %1</translation>
    </message>
    <message>
        <source>%1: %2 found</source>
        <translation>%1: найдено %2</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>&amp;Пропустить</translation>
    </message>
</context>
<context>
    <name>snpln-cli</name>
    <message>
        <source>Report each file&apos;s code page</source>
        <translation>Сообщить кодировку каждого файла</translation>
    </message>
    <message>
        <source>The files&apos; code page, or auto to detect it for each file (default): the source of --to, and the page of the other operations&apos; letters and texts</source>
        <translation>Кодировка файлов или auto — определять для каждого файла (по умолчанию): источник для --to и кодировка букв и текстов других операций</translation>
    </message>
    <message>
        <source>Convert to upper case</source>
        <translation>Перевести в верхний регистр</translation>
    </message>
    <message>
        <source>Convert to lower case</source>
        <translation>Перевести в нижний регистр</translation>
    </message>
    <message>
        <source>Sentence case: a capital at each sentence start</source>
        <translation>Регистр предложений: заглавная в начале каждого предложения</translation>
    </message>
    <message>
        <source>With --smart: keep letters that already are capitals</source>
        <translation>С --smart: сохранить буквы, которые уже заглавные</translation>
    </message>
    <message>
        <source>Remove every occurrence of TEXT</source>
        <translation>Удалить каждое вхождение ТЕКСТА</translation>
    </message>
    <message>
        <source>Replace every occurrence of TEXT</source>
        <translation>Заменить каждое вхождение ТЕКСТА</translation>
    </message>
    <message>
        <source>The replacement (empty: remove)</source>
        <translation>Замена (пустая: удалить)</translation>
    </message>
    <message>
        <source>An occurrence must begin a word (not follow a letter)</source>
        <translation>Вхождение должно начинать слово (не следовать за буквой)</translation>
    </message>
    <message>
        <source>An occurrence must end a word (not be followed by a letter)</source>
        <translation>Вхождение должно заканчивать слово (без буквы после)</translation>
    </message>
    <message>
        <source>Compare letters regardless of case</source>
        <translation>Сравнивать буквы без учёта регистра</translation>
    </message>
    <message>
        <source>Turn blanks that end at tab stops into TABs</source>
        <translation>Заменить пробелы, кончающиеся на позиции табуляции, на TAB</translation>
    </message>
    <message>
        <source>TAB width for --optimize, a whole number from 1 (8)</source>
        <translation>Ширина TAB для --optimize, целое число от 1 (8)</translation>
    </message>
    <message>
        <source>Delete excessive empty lines</source>
        <translation>Удалить лишние пустые строки</translation>
    </message>
    <message>
        <source>Take --exclude, --replace and --with byte for byte, not as text in the terminal&apos;s character set</source>
        <translation>Брать --exclude, --replace и --with байт в байт, а не как текст в кодировке терминала</translation>
    </message>
    <message>
        <source>Masks for files in directories, blank-separated (default *.*)</source>
        <translation>Маски файлов в каталогах через пробел (по умолчанию *.*)</translation>
    </message>
    <message>
        <source>Run every job to its end but write nothing; each file&apos;s line says what would happen</source>
        <translation>Выполнить каждую работу до конца, ничего не записывая; строка каждого файла говорит, что произошло бы</translation>
    </message>
    <message>
        <source>One line per file: its name and outcome (and one per entry of a tree passed over)</source>
        <translation>По строке на файл: имя и итог (и по строке на пропущенный элемент дерева)</translation>
    </message>
    <message>
        <source>Print failures only</source>
        <translation>Печатать только сбои</translation>
    </message>
    <message>
        <source>In directories, also take files and directories whose names begin with a dot (.git and the like are passed over otherwise)</source>
        <translation>В каталогах брать и файлы и каталоги, чьи имена начинаются с точки (иначе .git и подобные пропускаются)</translation>
    </message>
    <message>
        <source>Rewrite a file even when its owner or group cannot be kept (another user&apos;s file): it then becomes yours, without set-id bits</source>
        <translation>Переписать файл, даже если его владельца или группу не сохранить (файл другого пользователя): он станет вашим, без битов set-id</translation>
    </message>
    <message>
        <source>Run with --help for more information.</source>
        <translation>Подробнее: запустите с --help.</translation>
    </message>
    <message>
        <source>--exclude and --replace name different texts</source>
        <translation>--exclude и --replace называют разные тексты</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not text in the terminal&apos;s character set (--bytes takes it byte for byte)</source>
        <translation>&quot;%1&quot; — не текст в кодировке терминала (--bytes берёт его байт в байт)</translation>
    </message>
    <message>
        <source>List the code pages with every name they take, and exit</source>
        <translation>Перечислить кодовые страницы со всеми их именами и выйти</translation>
    </message>
    <message>
        <source>Make every line end LF, CRLF or CR (CR LF, LF CR, a lone CR or a lone LF each count as one line end)</source>
        <translation>Сделать все концы строк LF, CRLF или CR (CR LF, LF CR, одиночный CR или одиночный LF — каждый один конец строки)</translation>
    </message>
    <message>
        <source>Add a byte order mark to each UTF-8 file (and each of ASCII alone), or remove the one it begins with</source>
        <translation>Добавить метку порядка байтов в каждый файл UTF-8 (и в каждый только из ASCII) или удалить ту, с которой он начинается</translation>
    </message>
    <message>
        <source>A character the target page cannot hold (in --to, in --with) becomes its closest equivalent: quotes &quot;, dashes -, ... for the ellipsis, No for the numero sign, else ?</source>
        <translation>Символ, которого нет в целевой странице (в --to, в --with), заменяется ближайшим: кавычки &quot;, тире -, ... вместо многоточия, No вместо знака номера, иначе ?</translation>
    </message>
    <message>
        <source>Keep each rewritten file&apos;s access and modification times</source>
        <translation>Сохранить у каждого переписанного файла время доступа и изменения</translation>
    </message>
    <message>
        <source>unknown option %1; did you mean %2?</source>
        <translation>неизвестный параметр %1; может быть, %2?</translation>
    </message>
    <message>
        <source>unknown code page &quot;%1&quot; for %2: give %3 (snpln-cli -l lists every name)</source>
        <translation>неизвестная кодовая страница «%1» для %2: укажите %3 (snpln-cli -l перечисляет все имена)</translation>
    </message>
    <message>
        <source></source>
        <translation></translation>
    </message>
    <message>
        <source>The suffix of --backup (default ~)</source>
        <translation>Суффикс для --backup (по умолчанию ~)</translation>
    </message>
    <message>
        <source>--backup and --output are not available on this system</source>
        <translation>--backup и --output недоступны в этой системе</translation>
    </message>
    <message>
        <source>--suffix must be a text that is not empty and holds no &apos;/&apos; or &apos;\&apos;</source>
        <translation>--suffix должен быть непустым текстом без &apos;/&apos; и &apos;\&apos;</translation>
    </message>
    <message>
        <source>--output needs the name of a file</source>
        <translation>--output требует имени файла</translation>
    </message>
    <message>
        <source>--output goes with exactly one input file</source>
        <translation>--output применяется ровно с одним входным файлом</translation>
    </message>
    <message>
        <source>--output does not go with standard input (-): the result of - goes to standard output</source>
        <translation>--output не применяется со стандартным вводом (-): результат для - идёт на стандартный вывод</translation>
    </message>
    <message>
        <source>%1 is a directory: --output takes one input file</source>
        <translation>%1 — каталог: --output принимает один входной файл</translation>
    </message>
    <message>
        <source>--output %1 is a directory: give the name of a file</source>
        <translation>--output %1 — каталог: укажите имя файла</translation>
    </message>
    <message>
        <source>--output %1 is the input file itself: leave out --output to rewrite it in place</source>
        <translation>--output %1 — это сам входной файл: уберите --output, чтобы переписать его на месте</translation>
    </message>
    <message>
        <source>
A NAME of - alone is standard input; the result goes to standard output
(all messages then go to standard error), and nothing when the text fails.

Examples:
  snpln-cli -d notes.txt                  report the code page
  snpln-cli -t win notes.txt              recode in place, source detected
  snpln-cli -f koi -t dos --filter &apos;*.txt&apos; docs
  snpln-cli -n -v -t utf8 docs            what a recoding would do, file by file
  snpln-cli -k -t utf8 --line-ends lf docs
                                          UTF-8 with LF line ends, dates kept
  cat old.txt | snpln-cli -t win - &gt; new.txt
  snpln-cli --replace colour --with color --ignore-case a.txt

Exit status:
  0    no file failed (converted, already in the target code page, no
       Cyrillic letter in it, or not text)
  1    a file failed, a name was not found, or a directory could not be read
       (with --check: also a file would change)
  2    the command line is wrong
  130  stopped by Ctrl-C (143 by SIGTERM, 129 by SIGHUP)
</source>
        <translation>
ИМЯ - означает стандартный ввод; результат идёт в стандартный вывод
(все сообщения тогда идут в стандартный поток ошибок), и ничего, если текст не удался.

Примеры:
  snpln-cli -d notes.txt                  сообщить кодировку
  snpln-cli -t win notes.txt              перекодировать на месте, исходная определяется
  snpln-cli -f koi -t dos --filter &apos;*.txt&apos; docs
  snpln-cli -n -v -t utf8 docs            что сделает перекодировка, файл за файлом
  snpln-cli -k -t utf8 --line-ends lf docs
                                          UTF-8 с концами строк LF, даты сохранены
  cat old.txt | snpln-cli -t win - &gt; new.txt
  snpln-cli --replace colour --with color --ignore-case a.txt

Код возврата:
  0    ни один файл не сбойнул (преобразован, уже в целевой кодировке,
       без русских букв или не текст)
  1    файл сбойнул, имя не найдено или каталог не читается
       (с --check: и файл, который изменился бы)
  2    командная строка неверна
  130  остановлено Ctrl-C (143 — SIGTERM, 129 — SIGHUP)
</translation>
    </message>
    <message>
        <source>Recode to this code page: dos (cp866), win (cp1251), koi (koi8-r), iso (iso-8859-5), mac (x-mac-cyrillic), koi8u (koi8-u), cp1125, utf8 (utf-8), utf16 (a byte order mark, little-endian), utf16le or utf16be</source>
        <translation>Перекодировать в эту кодировку: dos (cp866), win (cp1251), koi (koi8-r), iso (iso-8859-5), mac (x-mac-cyrillic), koi8u (koi8-u), cp1125, utf8 (utf-8), utf16 (метка порядка байтов, little-endian), utf16le или utf16be</translation>
    </message>
    <message>
        <source>Rewrites Russian plain-text files in place: recoding between CP866 (dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso), Mac Cyrillic (mac), KOI8-U (koi8u), CP1125 (cp1125), UTF-8 (utf8) and UTF-16 (utf16, utf16le, utf16be) with automatic detection, upper/lower/sentence case, removal and replacement of a string, blanks to TABs, and removal of excessive empty lines.
Every NAME is a file, or a directory whose whole tree is taken, filtered by --filter. Several operations go over each file in one pass, and rewrite it once or, when one of them fails, not at all.</source>
        <translation>Переписывает русские текстовые файлы на месте: перекодировка между CP866 (dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso), Mac Cyrillic (mac), KOI8-U (koi8u), CP1125 (cp1125), UTF-8 (utf8) и UTF-16 (utf16, utf16le, utf16be) с автоматическим определением, верхний/нижний регистр и регистр предложений, удаление и замена строки, пробелы в TAB и удаление лишних пустых строк.
Каждое ИМЯ — файл или каталог, всё дерево которого берётся с фильтром --filter. Несколько операций проходят каждый файл за один проход и переписывают его один раз, а если одна из них не удалась — не переписывают вовсе.</translation>
    </message>
    <message>
        <source>Print JSON Lines instead of sentences: one object per file and operation (the schema is in the README)</source>
        <translation>Печатать JSON Lines вместо фраз: по объекту на файл и операцию (схема в README)</translation>
    </message>
    <message>
        <source>Write the result to FILE, made once the run is over (never half written), and leave the one input file as it is</source>
        <translation>Записать результат в FILE, который создаётся по окончании запуска (никогда не записанным наполовину), а единственный входной файл оставить как есть</translation>
    </message>
    <message>
        <source>Work on up to N files at once (default: one per core); the lines keep the order of the names</source>
        <translation>Обрабатывать до N файлов одновременно (по умолчанию по одному на ядро); строки идут в порядке имён</translation>
    </message>
    <message>
        <source>%1 takes %2, not &quot;%3&quot;; did you mean %4?</source>
        <translation>%1 принимает %2, а не «%3»; может быть, %4?</translation>
    </message>
    <message>
        <source>%1 takes %2, not &quot;%3&quot;</source>
        <translation>%1 принимает %2, а не «%3»</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2, not &quot;%3&quot;</source>
        <translation>%1 принимает целое число от %2, а не «%3»</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 принимает целое число от %2 до %3, а не «%4»</translation>
    </message>
    <message>
        <source>%1 needs a value: %2</source>
        <translation>%1 требует значения: %2</translation>
    </message>
    <message>
        <source>%1 needs a code page: give %2 (snpln-cli -l lists every name)</source>
        <translation>%1 требует кодовую страницу: укажите %2 (snpln-cli -l перечисляет все имена)</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 не принимает значения</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>неизвестный параметр %1</translation>
    </message>
    <message>
        <source>%1 is given more than once</source>
        <translation>%1 указан больше одного раза</translation>
    </message>
    <message>
        <source>%1 does not go with %2</source>
        <translation>%1 несовместим с %2</translation>
    </message>
    <message>
        <source>%1 goes only with %2</source>
        <translation>%1 используется только вместе с %2</translation>
    </message>
    <message>
        <source>no operation chosen: give %1</source>
        <translation>операция не выбрана: укажите %1</translation>
    </message>
    <message>
        <source>no NAME given: give the files or directories to work on (- is standard input)</source>
        <translation>не указано ИМЯ: укажите файлы или каталоги для обработки (- — стандартный ввод)</translation>
    </message>
    <message>
        <source>Usage: snpln-cli [OPTION]... NAME...</source>
        <translation>Использование: snpln-cli [ПАРАМЕТР]... ИМЯ...</translation>
    </message>
    <message>
        <source>%1 needs a text to look for, not an empty one</source>
        <translation>%1 требует текст для поиска, а не пустую строку</translation>
    </message>
    <message>
        <source>--filter holds no mask, only blanks</source>
        <translation>в --filter нет маски, одни пробелы</translation>
    </message>
    <message>
        <source>--filter &quot;%1&quot;: a mask names files, without a &apos;/&apos;</source>
        <translation>--filter «%1»: маска называет файлы, без &apos;/&apos;</translation>
    </message>
    <message>
        <source>Keep each rewritten file&apos;s original beside it, under its name followed by the suffix (as it was before the run; when that name is taken, under NAME.~N~, N one more than the highest number there: nothing is replaced)</source>
        <translation>Сохранять оригинал каждого переписанного файла рядом с ним, под его именем с суффиксом (каким он был до запуска; если это имя занято — под ИМЯ.~N~, где N на единицу больше наибольшего номера рядом: ничто не заменяется)</translation>
    </message>
    <message>
        <source>Print this help and exit</source>
        <translation>Показать эту справку и выйти</translation>
    </message>
    <message>
        <source>Print the version and exit</source>
        <translation>Показать версию и выйти</translation>
    </message>
    <message>
        <source>Operations</source>
        <translation>Операции</translation>
    </message>
    <message>
        <source>Removal and replacement</source>
        <translation>Удаление и замена</translation>
    </message>
    <message>
        <source>How files are taken and kept</source>
        <translation>Какие файлы берутся и как сохраняются</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Вывод</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Сведения</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 или %2</translation>
    </message>
    <message>
        <source>--from only: detect each file&apos;s page</source>
        <translation>только для --from: определять кодировку каждого файла</translation>
    </message>
    <message>
        <source>Repair garbled text (UTF-8 read as Windows-1251 and the like, up to three times) into UTF-8, before every other operation; a file not garbled is left as it is</source>
        <translation>Исправить испорченный текст (UTF-8, прочитанный как Windows-1251, и подобное, до трёх раз) в UTF-8 раньше всех других операций; неиспорченный файл остаётся как есть</translation>
    </message>
    <message>
        <source>Refuse a file with a character the target page cannot hold instead of writing a fill byte: it fails at that character and stays as it was</source>
        <translation>Отказываться от файла с символом, которого нет в целевой странице, вместо записи байта-заполнителя: обработка файла прерывается на этом символе, и он остаётся как был</translation>
    </message>
    <message>
        <source>Write nothing (as -n) and print a line for each file that would change; status 1 when any would, 0 when none would (for commit hooks and CI)</source>
        <translation>Ничего не записывать (как -n) и вывести строку для каждого файла, который изменился бы; код возврата 1, если изменился бы хоть один, и 0, если ни один (для хуков фиксации и CI)</translation>
    </message>
    <message>
        <source>write error: %1</source>
        <translation>ошибка записи: %1</translation>
    </message>
</context>
<context>
    <name>snpln-web</name>
    <message>
        <source>%1 is not taken in the browser: -o, -b, --suffix, -k, -j other than 1, - and --allow-chown mean nothing over the page&apos;s files</source>
        <translation>%1 в браузере не принимается: -o, -b, --suffix, -k, -j кроме 1, - и --allow-chown не имеют смысла для файлов страницы</translation>
    </message>
    <message>
        <source>Snipline in the browser</source>
        <translation>Snipline в браузере</translation>
    </message>
    <message>
        <source>Rewrites Russian plain-text files: recoding between CP866, Windows-1251, KOI8-R, ISO 8859-5, UTF-8 and UTF-16 with detection, case, removal and replacement of a text, blanks to TABs, empty lines, line ends. The files stay on this computer: the page sends nothing anywhere.</source>
        <translation>Переписывает русские текстовые файлы: перекодировка между CP866, Windows-1251, KOI8-R, ISO 8859-5, UTF-8 и UTF-16 с определением кодировки, регистр, удаление и замена текста, пробелы в табуляции, пустые строки, концы строк. Файлы остаются на этом компьютере: страница ничего никуда не отправляет.</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
    <message>
        <source>Files to work on</source>
        <translation>Файлы для обработки</translation>
    </message>
    <message>
        <source>Choose files</source>
        <translation>Выбрать файлы</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>Выбрать папку</translation>
    </message>
    <message>
        <source>Or drop files and folders here</source>
        <translation>Или перетащите сюда файлы и папки</translation>
    </message>
    <message>
        <source>Files chosen: %1 (%2 bytes)</source>
        <translation>Выбрано файлов: %1 (%2 байт)</translation>
    </message>
    <message>
        <source>No file chosen yet.</source>
        <translation>Файлы ещё не выбраны.</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Detected (auto)</source>
        <translation>Определить (auto)</translation>
    </message>
    <message>
        <source>Operations</source>
        <translation>Операции</translation>
    </message>
    <message>
        <source>The same with snpln-cli:</source>
        <translation>То же в snpln-cli:</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Выполнить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Ход работы</translation>
    </message>
    <message>
        <source>Working: %1</source>
        <translation>Обрабатывается: %1</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Результаты</translation>
    </message>
    <message>
        <source>Done: no file failed.</source>
        <translation>Готово: ошибок нет.</translation>
    </message>
    <message>
        <source>Done: some files failed.</source>
        <translation>Готово: некоторые файлы не обработаны.</translation>
    </message>
    <message>
        <source>Nothing done: the options are wrong.</source>
        <translation>Ничего не сделано: неверные параметры.</translation>
    </message>
    <message>
        <source>Canceled: the file in hand is as it was, the files before it are done.</source>
        <translation>Отменено: файл, который обрабатывался, остался прежним, файлы до него обработаны.</translation>
    </message>
    <message>
        <source>Choose files or a folder first.</source>
        <translation>Сначала выберите файлы или папку.</translation>
    </message>
    <message>
        <source>Code page</source>
        <translation>Кодировка</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Просмотр</translation>
    </message>
    <message>
        <source>Preview of %1</source>
        <translation>Просмотр %1</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>До</translation>
    </message>
    <message>
        <source>After</source>
        <translation>После</translation>
    </message>
    <message>
        <source>Only the first %1 bytes are shown.</source>
        <translation>Показаны только первые %1 байт.</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Скачать</translation>
    </message>
    <message>
        <source>Download all as ZIP</source>
        <translation>Скачать всё одним ZIP</translation>
    </message>
    <message>
        <source>Making the ZIP archive...</source>
        <translation>Создаётся архив ZIP...</translation>
    </message>
    <message>
        <source>The page stopped working: %1</source>
        <translation>Страница перестала работать: %1</translation>
    </message>
    <message>
        <source>Tab size</source>
        <translation>Шаг табуляции</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Из</translation>
    </message>
    <message>
        <source>To</source>
        <translation>В</translation>
    </message>
    <message>
        <source>(no recoding)</source>
        <translation>(не перекодировать)</translation>
    </message>
    <message>
        <source>Characters the target page cannot hold become their closest equivalent</source>
        <translation>Символы, которых нет в целевой кодировке, заменяются ближайшими</translation>
    </message>
    <message>
        <source>Only detect each file&apos;s code page</source>
        <translation>Только определить кодировку каждого файла</translation>
    </message>
    <message>
        <source>Case</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>As it is</source>
        <translation>Как есть</translation>
    </message>
    <message>
        <source>UPPER CASE</source>
        <translation>ВЕРХНИЙ РЕГИСТР</translation>
    </message>
    <message>
        <source>lower case</source>
        <translation>нижний регистр</translation>
    </message>
    <message>
        <source>Sentence case</source>
        <translation>Как в предложении</translation>
    </message>
    <message>
        <source>Sentence case keeps the capitals</source>
        <translation>Как в предложении, сохраняя заглавные</translation>
    </message>
    <message>
        <source>Remove or replace a text</source>
        <translation>Удаление или замена текста</translation>
    </message>
    <message>
        <source>Remove every occurrence of</source>
        <translation>Удалить все вхождения</translation>
    </message>
    <message>
        <source>Replace every occurrence of</source>
        <translation>Заменить все вхождения</translation>
    </message>
    <message>
        <source>by</source>
        <translation>на</translation>
    </message>
    <message>
        <source>Only where it begins a word</source>
        <translation>Только в начале слова</translation>
    </message>
    <message>
        <source>Only where it ends a word</source>
        <translation>Только в конце слова</translation>
    </message>
    <message>
        <source>Ignore the letters&apos; case</source>
        <translation>Без учёта регистра букв</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Строки</translation>
    </message>
    <message>
        <source>Blanks that end at tab stops become TABs</source>
        <translation>Пробелы до позиции табуляции заменить табуляцией</translation>
    </message>
    <message>
        <source>Delete excessive empty lines</source>
        <translation>Удалить лишние пустые строки</translation>
    </message>
    <message>
        <source>Line ends</source>
        <translation>Концы строк</translation>
    </message>
    <message>
        <source>(as they are)</source>
        <translation>(как есть)</translation>
    </message>
    <message>
        <source>Byte order mark (UTF-8)</source>
        <translation>Метка порядка байтов (UTF-8)</translation>
    </message>
    <message>
        <source>(as it is)</source>
        <translation>(как есть)</translation>
    </message>
    <message>
        <source>Which files</source>
        <translation>Какие файлы</translation>
    </message>
    <message>
        <source>Masks for the files in folders (*.txt *.htm*; all when empty)</source>
        <translation>Маски файлов в папках (*.txt *.htm*; пусто — все)</translation>
    </message>
    <message>
        <source>Also take names that begin with a dot</source>
        <translation>Брать и имена, начинающиеся с точки</translation>
    </message>
    <message>
        <source>Dry run: say what would happen, change nothing</source>
        <translation>Пробный прогон: сообщить, что будет сделано, ничего не меняя</translation>
    </message>
    <message>
        <source>Refuse a file with characters the target page cannot hold</source>
        <translation>Отказывать файлу с символами, которых нет в целевой кодировке</translation>
    </message>
    <message>
        <source>Repair garbled text first (UTF-8 read in a wrong page)</source>
        <translation>Сначала исправить испорченный текст (UTF-8, прочитанный не в той кодировке)</translation>
    </message>
</context>
</TS>
