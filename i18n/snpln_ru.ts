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
</context>
<context>
    <name>snpln-cli</name>
    <message>
        <source>Rewrites Russian plain-text files in place: recoding between CP866 (dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso) and UTF-8 (utf8) with automatic detection, upper/lower/sentence case, removal and replacement of a string, blanks to TABs, and removal of excessive empty lines.
Every NAME is a file, or a directory whose whole tree is taken, filtered by --filter. Several operations run as passes, one after another, over all names.</source>
        <translation>Переписывает русские текстовые файлы на месте: перекодировка между CP866 (dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso) и UTF-8 (utf8) с автоматическим определением, верхний/нижний регистр и регистр предложений, удаление и замена строки, пробелы в TAB и удаление лишних пустых строк.
Каждое ИМЯ — файл или каталог, всё дерево которого берётся с фильтром --filter. Несколько операций выполняются проходами, одна за другой, по всем именам.</translation>
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
  cat old.txt | snpln-cli -t win - &gt; new.txt
  snpln-cli --replace colour --with color --ignore-case a.txt

Exit status:
  0    no file failed (converted, already in the target code page, no
       Cyrillic letter in it, or not text)
  1    a file failed, a name was not found, or a directory could not be read
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
  cat old.txt | snpln-cli -t win - &gt; new.txt
  snpln-cli --replace colour --with color --ignore-case a.txt

Код возврата:
  0    ни один файл не сбойнул (преобразован, уже в целевой кодировке,
       без русских букв или не текст)
  1    файл сбойнул, имя не найдено или каталог не читается
  2    командная строка неверна
  130  остановлено Ctrl-C (143 — SIGTERM, 129 — SIGHUP)
</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a whole number from 1</source>
        <translation>&quot;%1&quot; — не целое число от 1</translation>
    </message>
    <message>
        <source>the filter holds no mask, only blanks</source>
        <translation>в фильтре нет маски, одни пробелы</translation>
    </message>
    <message>
        <source>a mask names files, without a &apos;/&apos;</source>
        <translation>маска называет файлы, без &apos;/&apos;</translation>
    </message>
    <message>
        <source>Report each file&apos;s code page</source>
        <translation>Сообщить кодировку каждого файла</translation>
    </message>
    <message>
        <source>Recode to this code page: dos (cp866), win (cp1251), koi (koi8-r), iso (iso-8859-5) or utf8 (utf-8)</source>
        <translation>Перекодировать в эту кодировку: dos (cp866), win (cp1251), koi (koi8-r), iso (iso-8859-5) или utf8 (utf-8)</translation>
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
        <source>Files or directories; - is standard input</source>
        <translation>Файлы или каталоги; - — стандартный ввод</translation>
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
        <source>--left-part, --right-part and --ignore-case go with --exclude or --replace</source>
        <translation>--left-part, --right-part и --ignore-case идут с --exclude или --replace</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not text in the terminal&apos;s character set (--bytes takes it byte for byte)</source>
        <translation>&quot;%1&quot; — не текст в кодировке терминала (--bytes берёт его байт в байт)</translation>
    </message>
    <message>
        <source>Print JSON Lines instead of sentences: one object per file and pass (the schema is in the README)</source>
        <translation>Печатать JSON Lines вместо фраз: по объекту на файл и проход (схема в README)</translation>
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
        <source>no operation chosen: give --detect, --to, --line-ends, --bom, --upper, --lower, --smart, --exclude, --replace, --optimize or --delete-empty</source>
        <translation>операция не выбрана: укажите --detect, --to, --line-ends, --bom, --upper, --lower, --smart, --exclude, --replace, --optimize или --delete-empty</translation>
    </message>
    <message>
        <source>Rewrite up to N files of a pass at once (default: one per core); the lines keep the order of the names</source>
        <translation>Переписывать до N файлов прохода одновременно (по умолчанию по одному на ядро); строки идут в порядке имён</translation>
    </message>
    <message>
        <source>Keep each rewritten file&apos;s original beside it, under its name followed by the suffix (as it was before the run; an existing backup of that name is replaced)</source>
        <translation>Сохранять оригинал каждого переписанного файла рядом с ним, под его именем с суффиксом (каким он был до запуска; существующая копия с этим именем заменяется)</translation>
    </message>
    <message>
        <source>The suffix of --backup (default ~)</source>
        <translation>Суффикс для --backup (по умолчанию ~)</translation>
    </message>
    <message>
        <source>Write the result to FILE, made once the last pass is over (never half written), and leave the one input file as it is</source>
        <translation>Записать результат в FILE, который создаётся после последнего прохода (никогда не записанным наполовину), а единственный входной файл оставить как есть</translation>
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
</context>
</TS>
