<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en_US">
<context>
    <name>snpln</name>
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
        <source>Snipline (SNPLN) v1.2, Russian text file tool</source>
        <translation>Snipline (SNPLN) v1.2, русские тексты</translation>
    </message>
    <message>
        <source>Made by the Snipline project</source>
        <translation>Сделано проектом Snipline</translation>
    </message>
    <message>
        <source>Source and issues: the Snipline repository</source>
        <translation>Код и ошибки: репозиторий Snipline</translation>
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
        <source>File: ''%1'' , Filesize: %2 bytes , coding %3</source>
        <translation>Файл: ''%1'' , размер: %2 байт , кодировка %3</translation>
    </message>
    <message>
        <source>File: ''%1'' , Filesize: %2 bytes , coding %3 , file you are see is truncated to %4 bytes buffer , so be CAREFULLY if you will save it on disk !</source>
        <translation>Файл: ''%1'' , размер: %2 байт , кодировка %3 , показаны только первые %4 байт , так что сохраняйте его на диск ОСТОРОЖНО !</translation>
    </message>
    <message>
        <source>File access error</source>
        <translation>Ошибка доступа к файлу</translation>
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
        <source>By the using program `Snipline (SNPLN)'  you can do:</source>
        <translation>С помощью программы `Snipline (SNPLN)'  можно:</translation>
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
        <source>transformation. 'Smart' mean that sentence start with upper case. Also you</source>
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
        <source>of SPACEs,TABs. This option dosn't stupidly delete all empty lines !!! After</source>
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
        <source>processed. Also you can add files by drag'n'drop filelist on SNPLN.</source>
        <translation>подкаталогах. Файлы можно также перетащить мышью на окно SNPLN.</translation>
    </message>
    <message>
        <source>Source: the Snipline repository</source>
        <translation>Код: репозиторий Snipline</translation>
    </message>
    <message>
        <source>Reports: the repository's issue tracker</source>
        <translation>Ошибки: трекер задач репозитория</translation>
    </message>
    <message>
        <source>Choose file ...</source>
        <translation>Выберите файл ...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Все файлы (*.*)</translation>
    </message>
    <message>
        <source>Unable to open temporary file (%1)</source>
        <translation>Невозможно открыть временный файл (%1)</translation>
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
        <source>'smart' case: each sentence starts with a capital</source>
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
        <source>the source's code page is detected in each file</source>
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
        <source>DO IT!</source>
        <translation>ВЫПОЛНИТЬ!</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>ВЫХОД</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Инфо</translation>
    </message>
    <message>
        <source>File
preview</source>
        <translation>Просмотр
файла</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Обзор...</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Сброс</translation>
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
        <source>Folder...</source>
        <translation>Папка...</translation>
    </message>
</context>
</TS>
