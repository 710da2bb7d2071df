<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>BalanceChart</name>
    <message>
        <source>%1: не тот модуль</source>
        <translation>%1: not the right module</translation>
    </message>
    <message>
        <source>нет модуля trevalune-chart в %1</source>
        <translation>no module trevalune-chart in %1</translation>
    </message>
</context>
<context>
    <name>BalanceCommands</name>
    <message>
        <source>График панели «Баланс» недоступен: %1</source>
        <translation>The chart of the Balance panel is not available: %1</translation>
    </message>
</context>
<context>
    <name>BalanceModel</name>
    <message>
        <source>не число</source>
        <translation>not a number</translation>
    </message>
</context>
<context>
    <name>BalancePanel</name>
    <message>
        <source>Баланс</source>
        <translation>Balance</translation>
    </message>
    <message>
        <source>Минимум, максимум, среднее и медиана</source>
        <translation>Minimum, maximum, mean and median</translation>
    </message>
    <message>
        <source>По горизонтали</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>По вертикали</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>Сейчас</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>В файле для сравнения</source>
        <translation>In the comparison file</translation>
    </message>
    <message>
        <source>По &amp;горизонтали:</source>
        <translation>Hori&amp;zontal:</translation>
    </message>
    <message>
        <source>Новый столбец</source>
        <translation>New column</translation>
    </message>
    <message>
        <source>Изменить столбец</source>
        <translation>Edit column</translation>
    </message>
    <message>
        <source>например: Здоровье / Золото</source>
        <translation>for example: Health / Gold</translation>
    </message>
    <message>
        <source>&amp;Название:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Формула:</source>
        <translation>&amp;Formula:</translation>
    </message>
    <message>
        <source>Введите название.</source>
        <translation>Enter a name.</translation>
    </message>
    <message>
        <source>Введите формулу.</source>
        <translation>Enter a formula.</translation>
    </message>
    <message>
        <source>Условие: %1</source>
        <translation>Condition: %1</translation>
    </message>
    <message>
        <source>Минимум</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Максимум</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Среднее</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>Медиана</source>
        <translation>Median</translation>
    </message>
    <message>
        <source>График недоступен: %1</source>
        <translation>The chart is not available: %1</translation>
    </message>
    <message>
        <source>%1, × 1e%2</source>
        <translation>%1, × 1e%2</translation>
    </message>
    <message>
        <source>Нет точек: ни у одной записи нет чисел в обоих столбцах</source>
        <translation>No points: no entry has numbers in both columns</translation>
    </message>
    <message>
        <source>Нет точек: в столбце «%1» нет чисел</source>
        <translation>No points: the column “%1” has no numbers</translation>
    </message>
    <message>
        <source>Название содержит…</source>
        <translation>Name contains…</translation>
    </message>
    <message>
        <source>Условие, например: %1 &gt;= 3 &amp;&amp; %2 &gt; 10</source>
        <translation>Condition, for example: %1 &gt;= 3 &amp;&amp; %2 &gt; 10</translation>
    </message>
    <message>
        <source>&amp;Добавить столбец…</source>
        <translation>&amp;Add column…</translation>
    </message>
    <message>
        <source>&amp;Изменить столбец…</source>
        <translation>Ed&amp;it column…</translation>
    </message>
    <message>
        <source>&amp;Удалить столбец</source>
        <translation>Re&amp;move column</translation>
    </message>
    <message>
        <source>«%1»: %2</source>
        <translation>“%1”: %2</translation>
    </message>
    <message>
        <source>По в&amp;ертикали:</source>
        <translation>Verti&amp;cal:</translation>
    </message>
    <message>
        <source>только с на&amp;рушениями</source>
        <translation>o&amp;nly with faults</translation>
    </message>
    <message>
        <source>Только записи, нарушающие проверки заметок о полях или со значениями вне разумных</source>
        <translation>Only the entries that break a check of the field notes or hold a value outside its sane range</translation>
    </message>
</context>
<context>
    <name>BitsDialog</name>
    <message>
        <source>Биты: %1</source>
        <translation>Bits: %1</translation>
    </message>
    <message>
        <source>%1 (бит %2)</source>
        <translation>%1 (bit %2)</translation>
    </message>
    <message>
        <source>бит %1</source>
        <translation>bit %1</translation>
    </message>
    <message>
        <source>Значение: 0x%1 (%2)</source>
        <translation>Value: 0x%1 (%2)</translation>
    </message>
</context>
<context>
    <name>Captions</name>
    <message>
        <source>Таблица</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>№</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Название</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Столбец</source>
        <translation>Column</translation>
    </message>
    <message>
        <source>В файле</source>
        <translation>In file</translation>
    </message>
    <message>
        <source>Новое</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Список</source>
        <translation>List</translation>
    </message>
    <message>
        <source>В файле для сравнения</source>
        <translation>In comparison file</translation>
    </message>
    <message>
        <source>Золото</source>
        <translation>Gold</translation>
    </message>
    <message>
        <source>Дерево</source>
        <translation>Wood</translation>
    </message>
    <message>
        <source>Руда</source>
        <translation>Ore</translation>
    </message>
    <message>
        <source>Ртуть</source>
        <translation>Mercury</translation>
    </message>
    <message>
        <source>Сера</source>
        <translation>Sulfur</translation>
    </message>
    <message>
        <source>Кристаллы</source>
        <translation>Crystals</translation>
    </message>
    <message>
        <source>Самоцветы</source>
        <translation>Gems</translation>
    </message>
    <message>
        <source>Атака</source>
        <translation>Attack</translation>
    </message>
    <message>
        <source>Защита</source>
        <translation>Defense</translation>
    </message>
    <message>
        <source>Мин. урон</source>
        <translation>Min. damage</translation>
    </message>
    <message>
        <source>Макс. урон</source>
        <translation>Max. damage</translation>
    </message>
    <message>
        <source>Здоровье</source>
        <translation>Health</translation>
    </message>
    <message>
        <source>Скорость</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Выстрелов</source>
        <translation>Shots</translation>
    </message>
    <message>
        <source>Прирост</source>
        <translation>Growth</translation>
    </message>
    <message>
        <source>Альфа</source>
        <translation>Alpha</translation>
    </message>
    <message>
        <source>Бета</source>
        <translation>Beta</translation>
    </message>
    <message>
        <source>Свойства</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Фракция</source>
        <translation>Faction</translation>
    </message>
    <message>
        <source>Существа</source>
        <translation>Creatures</translation>
    </message>
    <message>
        <source>Постройки</source>
        <translation>Buildings</translation>
    </message>
    <message>
        <source>Заклинания</source>
        <translation>Spells</translation>
    </message>
    <message>
        <source>Уровень</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Мана</source>
        <translation>Mana</translation>
    </message>
    <message>
        <source>Проверка</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>%1 вне %2</source>
        <translation>%1 outside %2</translation>
    </message>
</context>
<context>
    <name>CellHint</name>
    <message>
        <source>1 байт</source>
        <translation>1 byte</translation>
    </message>
    <message>
        <source>2 байта</source>
        <translation>2 bytes</translation>
    </message>
    <message>
        <source>%1 байта</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>целое со знаком</source>
        <translation>signed integer</translation>
    </message>
    <message>
        <source>целое без знака</source>
        <translation>unsigned integer</translation>
    </message>
    <message>
        <source>%1: %2, %3, от %4 до %5</source>
        <translation>%1: %2, %3, from %4 to %5</translation>
    </message>
    <message>
        <source>не число: останется %1</source>
        <translation>not a number: %1 stays</translation>
    </message>
    <message>
        <source>%1 → будет сохранено %2</source>
        <translation>%1 → %2 will be saved</translation>
    </message>
    <message>
        <source>в файле для сравнения: %1</source>
        <translation>in the comparison file: %1</translation>
    </message>
    <message>
        <source>запись за концом файла: файл короче, это поле нельзя изменить</source>
        <translation>record past the end of the file: the file is too short, this field cannot be changed</translation>
    </message>
</context>
<context>
    <name>ChangeList</name>
    <message>
        <source>%1 № %2 %3, %4</source>
        <translation>%1 No. %2 %3, %4</translation>
    </message>
</context>
<context>
    <name>ChangesModel</name>
    <message>
        <source>%1: в файле %2, новое %3</source>
        <translation>%1: %2 in the file, %3 now</translation>
    </message>
    <message>
        <source>, в файле для сравнения %1</source>
        <translation>, in the comparison file %1</translation>
    </message>
    <message>
        <source>не число</source>
        <translation>not a number</translation>
    </message>
</context>
<context>
    <name>ChecksDialog</name>
    <message>
        <source>Проверки: %1</source>
        <translation>Checks: %1</translation>
    </message>
    <message>
        <source>Название (русский)</source>
        <translation>Name (Russian)</translation>
    </message>
    <message>
        <source>Название (английский)</source>
        <translation>Name (English)</translation>
    </message>
    <message>
        <source>Условие</source>
        <translation>Condition</translation>
    </message>
    <message>
        <source>Уровень</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>&amp;Добавить</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>Новая проверка</source>
        <translation>New check</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>Проверка %1: нет названия</source>
        <translation>Check %1: no name</translation>
    </message>
    <message>
        <source>Проверка %1: нет условия</source>
        <translation>Check %1: no condition</translation>
    </message>
    <message>
        <source>Проверка %1: %2</source>
        <translation>Check %1: %2</translation>
    </message>
</context>
<context>
    <name>ChecksPanel</name>
    <message>
        <source>%1 вне %2</source>
        <translation>%1 outside %2</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>файл «%1» не того размера, что ожидается (%2 байт); чтобы открыть его всё же, добавьте --any-size</source>
        <translation>the file “%1” does not have the expected size (%2 bytes); to open it anyway, add --any-size</translation>
    </message>
    <message>
        <source>файл «%1» изменён другой программой, пока шла работа; ничего не записано</source>
        <translation>the file “%1” was changed by another program while it was being worked on; nothing was written</translation>
    </message>
    <message>
        <source>чтобы ограничить такие значения диапазоном поля или оставить их младшие биты, добавьте --out-of-range limit или --out-of-range wrap</source>
        <translation>to limit such values to the range of their field or keep their low bits, add --out-of-range limit or --out-of-range wrap</translation>
    </message>
    <message>
        <source>результат «%1» записался бы поверх входного файла «%2»: укажите в -o другой путь</source>
        <translation>the result “%1” would be written over the input file “%2”: give another path in -o</translation>
    </message>
    <message>
        <source>таблица не загружена, файл «%1» не записан</source>
        <translation>the table was not loaded, the file “%1” was not written</translation>
    </message>
    <message>
        <source>отчёт «%1» записался бы поверх файла «%2»: укажите для отчёта другой файл</source>
        <translation>the report “%1” would be written over the file “%2”: give another file for the report</translation>
    </message>
    <message>
        <source>конфликт: %1</source>
        <translation>conflict: %1</translation>
    </message>
    <message>
        <source>конфликт решён в пользу «%1»: %2</source>
        <translation>conflict settled in favour of “%1”: %2</translation>
    </message>
    <message>
        <source>изменения не применены: в списках ошибки</source>
        <translation>changes not applied: the lists have errors</translation>
    </message>
    <message>
        <source>изменения не применены: в списке ошибки</source>
        <translation>changes not applied: the list has errors</translation>
    </message>
    <message>
        <source>изменения не применены: списки задают одним полям разные значения (конфликтов: %1); чтобы решить их, добавьте --prefer later или --prefer earlier</source>
        <translation>changes not applied: the lists set the same fields to different values (conflicts: %1); to settle them, add --prefer later or --prefer earlier</translation>
    </message>
    <message>
        <source>изменения не применены: файл уже не тот, что в %1; чтобы применить их всё же, добавьте --force</source>
        <translation>changes not applied: the file is no longer what the %1 says; to apply them anyway, add --force</translation>
    </message>
    <message>
        <source>списках</source>
        <translation>lists</translation>
    </message>
    <message>
        <source>списке</source>
        <translation>list</translation>
    </message>
    <message>
        <source>изменения применены и файл «%1» записан, не записан только отчёт «%2»</source>
        <translation>the changes were applied and the file “%1” written; only the report “%2” was not written</translation>
    </message>
    <message>
        <source>патч не записан: %1</source>
        <translation>patch not written: %1</translation>
    </message>
    <message>
        <source>внимание: %1; apply-patch его не применит</source>
        <translation>warning: %1; apply-patch will not apply it</translation>
    </message>
    <message>
        <source>внимание: %1; apply-patch применит его только с --allow-other-bytes</source>
        <translation>warning: %1; apply-patch applies it only with --allow-other-bytes</translation>
    </message>
    <message>
        <source>патч «%1» не применён: %2</source>
        <translation>patch “%1” not applied: %2</translation>
    </message>
    <message>
        <source>патч «%1» не применён: %2; чтобы применить его всё же, добавьте --allow-other-bytes</source>
        <translation>patch “%1” not applied: %2; to apply it anyway, add --allow-other-bytes</translation>
    </message>
    <message>
        <source>Справка: trevalune-cli --help</source>
        <translation>Help: trevalune-cli --help</translation>
    </message>
    <message>
        <source>Использование:</source>
        <translation>Usage:</translation>
    </message>
    <message>
        <source>[параметры]</source>
        <translation>[options]</translation>
    </message>
    <message>
        <source>Параметры:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Аргументы:</source>
        <translation>Arguments:</translation>
    </message>
    <message>
        <source>неизвестная команда «%1»</source>
        <translation>unknown command “%1”</translation>
    </message>
    <message>
        <source>параметр --%1 не относится к команде %2</source>
        <translation>the option --%1 does not belong to the command %2</translation>
    </message>
    <message>
        <source>неизвестная таблица «%1»: нужна creatures, buildings или spells</source>
        <translation>unknown table “%1”: creatures, buildings or spells expected</translation>
    </message>
    <message>
        <source>команде %1 нужен параметр --table</source>
        <translation>the command %1 needs the option --table</translation>
    </message>
    <message>
        <source>неизвестный разделитель «%1»: нужен «,», «;» или tab</source>
        <translation>unknown separator “%1”: “,”, “;” or tab expected</translation>
    </message>
    <message>
        <source>неизвестный формат патча «%1»: нужен bps или ips</source>
        <translation>unknown patch format “%1”: bps or ips expected</translation>
    </message>
    <message>
        <source>неизвестное значение --prefer «%1»: нужно later или earlier</source>
        <translation>unknown value of --prefer “%1”: later or earlier expected</translation>
    </message>
    <message>
        <source>неизвестное значение --out-of-range «%1»: нужно limit или wrap</source>
        <translation>unknown value of --out-of-range “%1”: limit or wrap expected</translation>
    </message>
    <message>
        <source>команда %1 не пишет в стандартный вывод: укажите в -o файл</source>
        <translation>the command %1 does not write to the standard output: give a file in -o</translation>
    </message>
    <message>
        <source>отчёт не пишется в стандартный вывод: укажите в --report файл</source>
        <translation>the report is not written to the standard output: give a file in --report</translation>
    </message>
    <message>
        <source>команде %1 нужен параметр -o</source>
        <translation>the command %1 needs the option -o</translation>
    </message>
    <message>
        <source>без --table параметр -o должен указывать существующую папку, а «%1» не папка</source>
        <translation>without --table the option -o must name an existing folder, and “%1” is not a folder</translation>
    </message>
    <message>
        <source>Показать эту справку.</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>Показать версию.</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>Таблица: creatures, buildings или spells.</source>
        <translation>Table: creatures, buildings or spells.</translation>
    </message>
    <message>
        <source>таблица</source>
        <translation>table</translation>
    </message>
    <message>
        <source>Разделитель полей CSV: «,» (по умолчанию), «;» или tab.</source>
        <translation>CSV field separator: “,” (the default), “;” or tab.</translation>
    </message>
    <message>
        <source>разделитель</source>
        <translation>separator</translation>
    </message>
    <message>
        <source>Файл (или папка для export всех таблиц), куда записать результат.</source>
        <translation>The file (or the folder, for export of every table) to write the result to.</translation>
    </message>
    <message>
        <source>путь</source>
        <translation>path</translation>
    </message>
    <message>
        <source>import: не сверять названия в CSV с названиями в файле.</source>
        <translation>import: do not check the names in the CSV against the names in the file.</translation>
    </message>
    <message>
        <source>apply: применить изменения, даже если в файле уже другие значения.</source>
        <translation>apply: apply the changes even where the file already holds other values.</translation>
    </message>
    <message>
        <source>apply: какой список главнее, если два задают полю разные значения: later (поздний) или earlier (ранний).</source>
        <translation>apply: which list wins where two set a field to different values: later or earlier.</translation>
    </message>
    <message>
        <source>список</source>
        <translation>list</translation>
    </message>
    <message>
        <source>apply: записать в CSV, из какого списка взято каждое изменение.</source>
        <translation>apply: write a CSV that says which list each change came from.</translation>
    </message>
    <message>
        <source>import, apply: значение, которое не помещается в своё поле, ограничить диапазоном поля (limit) или оставить его младшие биты (wrap), как при вводе; без параметра это ошибка.</source>
        <translation>import, apply: limit a value that does not fit its field to the range of the field (limit), or keep its low bits (wrap), as when typed; without this option it is an error.</translation>
    </message>
    <message>
        <source>как</source>
        <translation>how</translation>
    </message>
    <message>
        <source>patch: формат патча, bps (по умолчанию) или ips.</source>
        <translation>patch: the patch format, bps (the default) or ips.</translation>
    </message>
    <message>
        <source>формат</source>
        <translation>format</translation>
    </message>
    <message>
        <source>apply-patch: применить патч, даже если он меняет байты вне записей таблиц.</source>
        <translation>apply-patch: apply the patch even if it changes bytes outside the table records.</translation>
    </message>
    <message>
        <source>язык</source>
        <translation>language</translation>
    </message>
    <message>
        <source>Открывать файлы любого размера.</source>
        <translation>Open files of any size.</translation>
    </message>
    <message>
        <source>команда</source>
        <translation>command</translation>
    </message>
    <message>
        <source>файлы</source>
        <translation>files</translation>
    </message>
    <message>
        <source>Файлы команды.</source>
        <translation>The command&apos;s files.</translation>
    </message>
    <message>
        <source>файлы...</source>
        <translation>files...</translation>
    </message>
    <message>
        <source>export ФАЙЛ.exe [--table Т] [--separator Р] [-o ВЫХОД]</source>
        <translation>export FILE.exe [--table T] [--separator S] [-o OUT]</translation>
    </message>
    <message>
        <source>таблицы в CSV: без --table три файла creatures.csv, buildings.csv,
spells.csv (в папке -o или в текущей), с --table одна таблица
в стандартный вывод или в файл -o</source>
        <translation>the tables as CSV: without --table three files creatures.csv, buildings.csv,
spells.csv (in the folder -o or the current one), with --table one table
to the standard output or to the file -o</translation>
    </message>
    <message>
        <source>import ФАЙЛ.exe ТАБЛИЦА.csv --table Т -o ВЫХОД.exe [--allow-name-mismatch]
[--out-of-range limit|wrap]</source>
        <translation>import FILE.exe TABLE.csv --table T -o OUT.exe [--allow-name-mismatch]
[--out-of-range limit|wrap]</translation>
    </message>
    <message>
        <source>загрузить таблицу из CSV и записать исполняемый файл; значение,
которое не помещается в своё поле, без --out-of-range — ошибка</source>
        <translation>load a table from CSV and write the executable; a value
that does not fit its field is an error without --out-of-range</translation>
    </message>
    <message>
        <source>diff A.exe B.exe [-o ИЗМЕНЕНИЯ.csv]</source>
        <translation>diff A.exe B.exe [-o CHANGES.csv]</translation>
    </message>
    <message>
        <source>список полей, которыми B отличается от A</source>
        <translation>the list of the fields in which B differs from A</translation>
    </message>
    <message>
        <source>apply ФАЙЛ.exe ИЗМЕНЕНИЯ.csv... -o ВЫХОД.exe [--force]
[--prefer later|earlier] [--report ОТЧЁТ.csv] [--out-of-range limit|wrap]</source>
        <translation>apply FILE.exe CHANGES.csv... -o OUT.exe [--force]
[--prefer later|earlier] [--report REPORT.csv] [--out-of-range limit|wrap]</translation>
    </message>
    <message>
        <source>применить списки изменений по порядку и записать исполняемый файл;
если два списка задают полю разные значения, ничего не записывается,
пока --prefer не скажет, какой список главнее</source>
        <translation>apply the change lists in order and write the executable;
where two lists set a field to different values, nothing is written
until --prefer says which list wins</translation>
    </message>
    <message>
        <source>patch ИСХОДНЫЙ.exe ИЗМЕНЁННЫЙ.exe -o МОД.bps [--format bps|ips]</source>
        <translation>patch ORIGINAL.exe MODIFIED.exe -o MOD.bps [--format bps|ips]</translation>
    </message>
    <message>
        <source>патч BPS (или IPS), превращающий первый файл во второй</source>
        <translation>a BPS (or IPS) patch that turns the first file into the second</translation>
    </message>
    <message>
        <source>apply-patch ФАЙЛ.exe МОД.bps -o ВЫХОД.exe [--allow-other-bytes]</source>
        <translation>apply-patch FILE.exe MOD.bps -o OUT.exe [--allow-other-bytes]</translation>
    </message>
    <message>
        <source>применить патч BPS или IPS и записать результат</source>
        <translation>apply a BPS or IPS patch and write the result</translation>
    </message>
    <message>
        <source>Таблицы исполняемого файла в виде CSV, списки изменений и патчи.

Команды:
</source>
        <translation>The tables of the executable as CSV, change lists and patches.

Commands:
</translation>
    </message>
    <message>
        <source>%1 или %2</source>
        <translation>%1 or %2</translation>
    </message>
    <message>
        <source>не указана команда: %1</source>
        <translation>no command given: %1</translation>
    </message>
    <message>
        <source>formula ФАЙЛ.exe --table Т --column СТОЛБЕЦ --expr ФОРМУЛА [--where УСЛОВИЕ]
[--wrap] (-o ВЫХОД.exe | --changes ИЗМЕНЕНИЯ.csv)</source>
        <translation>formula FILE.exe --table T --column COLUMN --expr FORMULA [--where CONDITION]
[--wrap] (-o OUT.exe | --changes CHANGES.csv)</translation>
    </message>
    <message>
        <source>formula: название столбца.</source>
        <translation>formula: the column&apos;s caption.</translation>
    </message>
    <message>
        <source>столбец</source>
        <translation>column</translation>
    </message>
    <message>
        <source>formula: формула нового значения.</source>
        <translation>formula: the formula of the new value.</translation>
    </message>
    <message>
        <source>формула</source>
        <translation>formula</translation>
    </message>
    <message>
        <source>formula: условие (формула), для каких записей; без него для всех.</source>
        <translation>formula: the condition (a formula) that picks the entries; without it, every entry.</translation>
    </message>
    <message>
        <source>условие</source>
        <translation>condition</translation>
    </message>
    <message>
        <source>formula: результат, который не помещается в поле, перенести, как при вводе (иначе ограничить диапазоном поля).</source>
        <translation>formula: wrap a result that does not fit its field, as when typed (limit it to the range of the field otherwise).</translation>
    </message>
    <message>
        <source>formula: записать список изменений вместо исполняемого файла.</source>
        <translation>formula: write the change list instead of the executable.</translation>
    </message>
    <message>
        <source>список изменений «%1» записался бы поверх входного файла «%2»: укажите в --changes другой путь</source>
        <translation>the change list “%1” would be written over the input file “%2”: give another path in --changes</translation>
    </message>
    <message>
        <source>записаны только %1, остальные таблицы не записаны</source>
        <translation>only %1 written, the other tables were not written</translation>
    </message>
    <message>
        <source>задать столбцу каждой записи, для которой УСЛОВИЕ истинно, значение
ФОРМУЛЫ (value — значение поля, поля записи — по названиям столбцов,
пробел как _, без точек: Здоровье / 2 + Мин_урон; + - * / ^,
сравнения, &amp;&amp; || и ?:, min, max, abs, round, floor, ceil, sqrt);
с --changes записать список изменений вместо исполняемого файла</source>
        <translation>set the column of every entry for which CONDITION is true to the value
of FORMULA (value is the field&apos;s value, the entry&apos;s fields are named by
their column captions, a space as _, no dots: Health / 2 + Min_damage;
+ - * / ^, comparisons, &amp;&amp; || and ?:, min, max, abs, round, floor, ceil,
sqrt); with --changes write the change list instead of the executable</translation>
    </message>
    <message numerus="yes">
        <source>команде %1 нужен %n файл</source>
        <translation>
            <numerusform>the command %1 needs %n file</numerusform>
            <numerusform>the command %1 needs %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>команде %1 нужно не меньше %n файла</source>
        <translation>
            <numerusform>the command %1 needs at least %n file</numerusform>
            <numerusform>the command %1 needs at least %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1, а указан %n</source>
        <translation>
            <numerusform>%1, but %n was given</numerusform>
            <numerusform>%1, but %n were given</numerusform>
        </translation>
    </message>
    <message>
        <source>Язык ответов и заголовков в файлах CSV, ru или en. Без параметра — из TREVALUNE_LANG, что значит то же самое, иначе ru.</source>
        <translation>Language of the answers and of the captions in CSV files, ru or en. Without it, from TREVALUNE_LANG, which means the same; otherwise ru.</translation>
    </message>
    <message>
        <source>неизвестный язык %1 в TREVALUNE_LANG: нужен ru или en</source>
        <translation>unknown language %1 in TREVALUNE_LANG: ru or en expected</translation>
    </message>
    <message>
        <source>неизвестный язык %1: нужен ru или en</source>
        <translation>unknown language %1: ru or en expected</translation>
    </message>
    <message>
        <source>check ФАЙЛ.exe [--notes ЗАМЕТКИ.json] [--table Т]</source>
        <translation>check FILE.exe [--notes NOTES.json] [--table T]</translation>
    </message>
    <message>
        <source>нарушенные проверки и значения вне разумных пределов из заметок о полях,
в CSV; код выхода 1, если нарушена проверка уровня «ошибка»</source>
        <translation>the broken checks and the values outside their sane ranges by the field
notes, as CSV; exit code 1 if an error-level check is broken</translation>
    </message>
    <message>
        <source>notes --table Т [--notes ЗАМЕТКИ.json]</source>
        <translation>notes --table T [--notes NOTES.json]</translation>
    </message>
    <message>
        <source>заметки о полях таблицы в виде текста</source>
        <translation>the field notes of a table as text</translation>
    </message>
    <message>
        <source>
Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — ошибка или отказ;
у check 1 — нарушена проверка уровня «ошибка».</source>
        <translation>
Exit codes: 0 — done, 1 — wrong arguments, 2 — failure or refusal;
for check 1 — an error-level check is broken.</translation>
    </message>
    <message>
        <source>check, notes: файл заметок о полях вместо заметок, поставляемых с программой.</source>
        <translation>check, notes: a field notes file instead of the notes shipped with the program.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>параметр %1 не принимает значения</source>
        <translation>the option %1 takes no value</translation>
    </message>
    <message>
        <source>параметру %1 нужно значение</source>
        <translation>the option %1 needs a value</translation>
    </message>
    <message>
        <source>параметру %1 нужно значение, а за ним идёт параметр %2</source>
        <translation>the option %1 needs a value, but the option %2 follows it</translation>
    </message>
    <message>
        <source>параметры не разобраны</source>
        <translation>the options could not be read</translation>
    </message>
    <message>
        <source>неизвестный параметр %1</source>
        <translation>unknown option %1</translation>
    </message>
</context>
<context>
    <name>CsvIssue</name>
    <message>
        <source>строка %1, «%2»: %3</source>
        <translation>line %1, “%2”: %3</translation>
    </message>
    <message>
        <source>строка %1, столбец %2: %3</source>
        <translation>line %1, column %2: %3</translation>
    </message>
    <message numerus="yes">
        <source>и ещё %n ошибка</source>
        <translation>
            <numerusform>and %n more error</numerusform>
            <numerusform>and %n more errors</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>и ещё %n ошибки</source>
        <translation>
            <numerusform>and %n more error</numerusform>
            <numerusform>and %n more errors</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>и ещё %n ошибок</source>
        <translation>
            <numerusform>and %n more error</numerusform>
            <numerusform>and %n more errors</numerusform>
        </translation>
    </message>
    <message>
        <source>значений, не помещавшихся в поле, оставлены младшие биты: %1</source>
        <translation>values that did not fit their field, low bits kept: %1</translation>
    </message>
    <message>
        <source>значений, не помещавшихся в поле, ограничено: %1</source>
        <translation>values that did not fit their field, limited: %1</translation>
    </message>
    <message>
        <source>кавычка в начале поля не закрыта до конца файла</source>
        <translation>a quote at the start of a field is not closed before the end of the file</translation>
    </message>
    <message>
        <source>кавычка внутри поля, которое не заключено в кавычки</source>
        <translation>a quote inside a field that is not quoted</translation>
    </message>
    <message>
        <source>после закрывающей кавычки идёт текст, а не разделитель</source>
        <translation>text follows the closing quote instead of a separator</translation>
    </message>
    <message>
        <source>недостаточно памяти, чтобы прочитать файл</source>
        <translation>not enough memory to read the file</translation>
    </message>
    <message>
        <source>файл пуст: нет даже строки заголовка</source>
        <translation>the file is empty: not even a header line</translation>
    </message>
    <message>
        <source>в заголовке нет столбца %1</source>
        <translation>the header has no column %1</translation>
    </message>
    <message>
        <source>столбец %1 уже есть в столбце %2</source>
        <translation>column %1 is already column %2</translation>
    </message>
    <message>
        <source>неизвестный столбец %1 в таблице «%2»</source>
        <translation>unknown column %1 in table “%2”</translation>
    </message>
    <message>
        <source>лишний столбец %1 в списке изменений</source>
        <translation>extra column %1 in the change list</translation>
    </message>
    <message>
        <source>в строке %1 полей, а в заголовке %2</source>
        <translation>the line has %1 fields, the header %2</translation>
    </message>
    <message>
        <source>номер строки %1 не число от 1 до %2</source>
        <translation>row number %1 is not a number from 1 to %2</translation>
    </message>
    <message>
        <source>строка таблицы %1 уже была в строке %2 файла</source>
        <translation>table row %1 was already on line %2 of the file</translation>
    </message>
    <message>
        <source>название %1 не совпадает с «%2» в строке %3 таблицы</source>
        <translation>name %1 does not match “%2” in row %3 of the table</translation>
    </message>
    <message>
        <source>%1 не число</source>
        <translation>%1 is not a number</translation>
    </message>
    <message>
        <source>%1 не целое число: дробная часть не нулевая</source>
        <translation>%1 is not a whole number: its fraction is not zero</translation>
    </message>
    <message>
        <source>%1 не помещается в поле (от %2 до %3)</source>
        <translation>%1 does not fit the field (%2 to %3)</translation>
    </message>
    <message>
        <source>неизвестная таблица %1</source>
        <translation>unknown table %1</translation>
    </message>
    <message>
        <source>в таблице %1 нет столбца %2</source>
        <translation>table %1 has no column %2</translation>
    </message>
    <message>
        <source>это поле уже менялось в строке %1</source>
        <translation>this field was already changed on line %1</translation>
    </message>
    <message>
        <source>в файле должно быть %1, а там «%2»</source>
        <translation>the file should hold %1, but holds “%2”</translation>
    </message>
    <message>
        <source>%1: запись за концом файла, её поля нельзя изменить</source>
        <translation>%1: the record lies past the end of the file, its fields cannot be changed</translation>
    </message>
</context>
<context>
    <name>FailureReason</name>
    <message>
        <source>нет прав на чтение</source>
        <translation>no permission to read</translation>
    </message>
    <message>
        <source>нет прав на запись в папку</source>
        <translation>no permission to write to the folder</translation>
    </message>
    <message>
        <source>нет прав на запись в файл</source>
        <translation>no permission to write to the file</translation>
    </message>
    <message>
        <source>нет прав</source>
        <translation>no permission</translation>
    </message>
    <message>
        <source>файл не найден</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>папка не существует</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>на диске недостаточно места</source>
        <translation>not enough space on the disk</translation>
    </message>
    <message>
        <source>превышена дисковая квота</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <source>файловая система доступна только для чтения</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>слишком длинное имя файла</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>в пути слишком много символических ссылок</source>
        <translation>too many symbolic links in the path</translation>
    </message>
    <message>
        <source>это папка, а не файл</source>
        <translation>this is a folder, not a file</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>открыто слишком много файлов</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>читающая программа закрыла канал</source>
        <translation>the reading program closed the pipe</translation>
    </message>
    <message>
        <source>файл слишком велик для этой файловой системы</source>
        <translation>the file is too large for this file system</translation>
    </message>
    <message>
        <source>недостаточно памяти</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>файл занят другой программой</source>
        <translation>the file is in use by another program</translation>
    </message>
    <message>
        <source>ошибка чтения</source>
        <translation>read error</translation>
    </message>
    <message>
        <source>ошибка записи</source>
        <translation>write error</translation>
    </message>
    <message>
        <source>неустранимая ошибка файла</source>
        <translation>fatal file error</translation>
    </message>
    <message>
        <source>не хватает ресурсов системы</source>
        <translation>not enough system resources</translation>
    </message>
    <message>
        <source>файл не открывается</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>операция прервана</source>
        <translation>the operation was aborted</translation>
    </message>
    <message>
        <source>время ожидания истекло</source>
        <translation>timed out</translation>
    </message>
    <message>
        <source>файл не удаляется</source>
        <translation>the file cannot be removed</translation>
    </message>
    <message>
        <source>новый файл не удалось поставить на место старого</source>
        <translation>the new file could not replace the old one</translation>
    </message>
    <message>
        <source>ошибка перемещения по файлу</source>
        <translation>seek error</translation>
    </message>
    <message>
        <source>размер файла не изменяется</source>
        <translation>the file cannot be resized</translation>
    </message>
    <message>
        <source>нет прав на запись</source>
        <translation>no permission to write</translation>
    </message>
    <message>
        <source>файл не копируется</source>
        <translation>the file cannot be copied</translation>
    </message>
    <message>
        <source>ошибка файла %1</source>
        <translation>file error %1</translation>
    </message>
    <message>
        <source>системная ошибка %1</source>
        <translation>system error %1</translation>
    </message>
    <message>
        <source>%1 МиБ</source>
        <translation>%1 MiB</translation>
    </message>
    <message>
        <source>%1 байт</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>файл слишком велик: больше %1</source>
        <translation>the file is too large: over %1</translation>
    </message>
    <message>
        <source>имя папки в пути не читается</source>
        <translation>a folder name in the path cannot be read</translation>
    </message>
    <message>
        <source>имя файла не читается</source>
        <translation>the file name cannot be read</translation>
    </message>
    <message>
        <source> — в нём есть байты не в кодировке UTF-8</source>
        <translation> — it has bytes that are not UTF-8</translation>
    </message>
    <message>
        <source>, и рядом есть другое имя, которое выглядит так же</source>
        <translation>, and there is another name beside it that looks the same</translation>
    </message>
</context>
<context>
    <name>FieldNoteDialog</name>
    <message>
        <source>Заметка о поле: %1</source>
        <translation>Field note: %1</translation>
    </message>
    <message>
        <source>Описание (&amp;русский):</source>
        <translation>Description (&amp;Russian):</translation>
    </message>
    <message>
        <source>Описание (&amp;английский):</source>
        <translation>Description (&amp;English):</translation>
    </message>
    <message>
        <source>Разумный &amp;минимум:</source>
        <translation>Sane &amp;minimum:</translation>
    </message>
    <message>
        <source>Разумный м&amp;аксимум:</source>
        <translation>Sane m&amp;aximum:</translation>
    </message>
    <message>
        <source>Бит</source>
        <translation>Bit</translation>
    </message>
    <message>
        <source>Русский</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>Английский</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Имена битов:</source>
        <translation>Bit names:</translation>
    </message>
</context>
<context>
    <name>FieldNotes</name>
    <message>
        <source>нужен &quot;format&quot;: &quot;%1&quot;</source>
        <translation>&quot;format&quot;: &quot;%1&quot; is needed</translation>
    </message>
    <message>
        <source>неизвестный ключ «%1»</source>
        <translation>unknown key “%1”</translation>
    </message>
    <message>
        <source>нет ключа «tables»</source>
        <translation>no key “tables”</translation>
    </message>
    <message>
        <source>«tables» должен быть объектом</source>
        <translation>“tables” must be an object</translation>
    </message>
    <message>
        <source>неизвестная таблица «%1»: нужна creatures, buildings или spells</source>
        <translation>unknown table “%1”: creatures, buildings or spells expected</translation>
    </message>
    <message>
        <source>неизвестный ключ «%1»: здесь бывают %2</source>
        <translation>unknown key “%1”: here there may be %2</translation>
    </message>
    <message>
        <source>«%1» должен быть строкой</source>
        <translation>“%1” must be a string</translation>
    </message>
    <message>
        <source>название должно быть объектом {&quot;ru&quot;: ..., &quot;en&quot;: ...}</source>
        <translation>a name must be an object {&quot;ru&quot;: ..., &quot;en&quot;: ...}</translation>
    </message>
    <message>
        <source>пустое название: нужен «ru» или «en»</source>
        <translation>empty name: “ru” or “en” is needed</translation>
    </message>
    <message>
        <source>нужно целое число</source>
        <translation>a whole number is needed</translation>
    </message>
    <message>
        <source>%1 вне диапазона поля %2..%3</source>
        <translation>%1 is outside the field&apos;s range %2..%3</translation>
    </message>
    <message>
        <source>таблица должна быть объектом</source>
        <translation>a table must be an object</translation>
    </message>
    <message>
        <source>«fields» должен быть объектом</source>
        <translation>“fields” must be an object</translation>
    </message>
    <message>
        <source>в таблице %1 нет поля «%2»; есть %3</source>
        <translation>the table %1 has no field “%2”; it has %3</translation>
    </message>
    <message>
        <source>поле «%1» уже описано как «%2»</source>
        <translation>the field “%1” is already described as “%2”</translation>
    </message>
    <message>
        <source>«checks» должен быть массивом</source>
        <translation>“checks” must be an array</translation>
    </message>
    <message>
        <source>описание поля должно быть объектом</source>
        <translation>a field&apos;s notes must be an object</translation>
    </message>
    <message>
        <source>«min» %1 больше «max» %2</source>
        <translation>“min” %1 is above “max” %2</translation>
    </message>
    <message>
        <source>у поля в 1 байт нет имён битов: они бывают у полей в 2 и 4 байта</source>
        <translation>a 1-byte field has no bit names: 2- and 4-byte fields have them</translation>
    </message>
    <message>
        <source>«bits» должен быть объектом</source>
        <translation>“bits” must be an object</translation>
    </message>
    <message>
        <source>номер бита «%1» вне поля: нужен от 0 до %2</source>
        <translation>bit number “%1” is outside the field: 0 to %2 is needed</translation>
    </message>
    <message>
        <source>«values» должен быть объектом</source>
        <translation>“values” must be an object</translation>
    </message>
    <message>
        <source>значение «%1» не целое число из диапазона поля %2</source>
        <translation>the value “%1” is not a whole number in the field&apos;s range %2</translation>
    </message>
    <message>
        <source>проверка должна быть объектом</source>
        <translation>a check must be an object</translation>
    </message>
    <message>
        <source>у проверки нет ключа «%1»</source>
        <translation>the check has no key “%1”</translation>
    </message>
    <message>
        <source>«condition» должен быть строкой</source>
        <translation>“condition” must be a string</translation>
    </message>
    <message>
        <source>пустое условие</source>
        <translation>empty condition</translation>
    </message>
    <message>
        <source>условие не разобрано: %1</source>
        <translation>the condition does not compile: %1</translation>
    </message>
    <message>
        <source>«level» должен быть &quot;error&quot; или &quot;warning&quot;</source>
        <translation>“level” must be &quot;error&quot; or &quot;warning&quot;</translation>
    </message>
    <message>
        <source>строка %1, столбец %2: %3</source>
        <translation>line %1, column %2: %3</translation>
    </message>
    <message>
        <source>не JSON: %1</source>
        <translation>not JSON: %1</translation>
    </message>
    <message>
        <source>файл заметок должен быть объектом JSON</source>
        <translation>a notes file must be a JSON object</translation>
    </message>
</context>
<context>
    <name>FieldNotesCommands</name>
    <message>
        <source>Заметки о полях не прочитаны: %1
%2</source>
        <translation>The field notes were not read: %1
%2</translation>
    </message>
    <message>
        <source>Заметки о полях не записаны: %1
%2</source>
        <translation>The field notes were not written: %1
%2</translation>
    </message>
</context>
<context>
    <name>FileDrop</name>
    <message>
        <source>Открыть можно только файл: перетащите в окно один файл.</source>
        <translation>Only a file can be opened: drop one file on the window.</translation>
    </message>
    <message>
        <source>Можно открыть только один файл, а перетащено %1.</source>
        <translation>Only one file can be opened, but %1 were dropped.</translation>
    </message>
    <message>
        <source>«%1» — не файл на этом компьютере: открыть можно только локальный файл.</source>
        <translation>“%1” is not a file on this computer: only a local file can be opened.</translation>
    </message>
</context>
<context>
    <name>FileStore</name>
    <message>
        <source>это папка, а не файл</source>
        <translation>this is a folder, not a file</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>this is not a regular file</translation>
    </message>
    <message>
        <source>файл слишком велик (%1 байт)</source>
        <translation>the file is too large (%1 bytes)</translation>
    </message>
    <message>
        <source>файл изменился во время чтения</source>
        <translation>the file changed while it was read</translation>
    </message>
    <message>
        <source>Файл «%1» записан, но папка не сброшена на диск: %2. При сбое питания может остаться прежний файл.</source>
        <translation>The file “%1” was written, but its folder was not flushed to the disk: %2. After a power failure the previous file may remain.</translation>
    </message>
</context>
<context>
    <name>Formula</name>
    <message>
        <source>ошибка в формуле, строка %1, столбец %2: %3</source>
        <translation>error in the formula, line %1, column %2: %3</translation>
    </message>
    <message>
        <source>условие</source>
        <translation>condition</translation>
    </message>
    <message>
        <source>непечатаемый знак (код %1)</source>
        <translation>a control character (code %1)</translation>
    </message>
    <message>
        <source>ошибка в формуле: %1</source>
        <translation>error in the formula: %1</translation>
    </message>
    <message>
        <source>непонятный знак «%1»</source>
        <translation>unknown character “%1”</translation>
    </message>
    <message>
        <source>у условия и вычисляемого столбца нет своей ячейки, а значит, и «value»</source>
        <translation>a condition or a computed column has no cell of its own, and so no “value”</translation>
    </message>
    <message>
        <source>«%1» — из прежних формул: поле пишется по названию (Мин_урон), функция — без «Math.» (max, round)</source>
        <translation>“%1” is from the former formulas: a field is written by its caption (Min_damage), a function without “Math.” (max, round)</translation>
    </message>
    <message>
        <source>нет функции «%1»; может быть, «%2»?</source>
        <translation>no function “%1”; did you mean “%2”?</translation>
    </message>
    <message>
        <source>нет поля «%1»; может быть, «%2»?</source>
        <translation>no field “%1”; did you mean “%2”?</translation>
    </message>
    <message>
        <source>здесь не может стоять «%1»</source>
        <translation>“%1” cannot stand here</translation>
    </message>
    <message>
        <source>формула обрывается: не хватает числа, поля или скобки</source>
        <translation>the formula breaks off: a number, a field or a parenthesis is missing</translation>
    </message>
    <message>
        <source>лишняя запятая</source>
        <translation>a comma too many</translation>
    </message>
    <message>
        <source>лишний аргумент</source>
        <translation>an argument too many</translation>
    </message>
    <message>
        <source>перед «%1» не хватает знака действия</source>
        <translation>an operator is missing before “%1”</translation>
    </message>
    <message>
        <source>здесь не может стоять скобка «%1»</source>
        <translation>the parenthesis “%1” cannot stand here</translation>
    </message>
    <message>
        <source>не хватает закрывающей скобки</source>
        <translation>a closing parenthesis is missing</translation>
    </message>
    <message>
        <source>строк в формулах нет, только числа и поля</source>
        <translation>formulas have no strings, only numbers and fields</translation>
    </message>
    <message>
        <source>у функции «%1» слишком много аргументов</source>
        <translation>too many arguments for the function “%1”</translation>
    </message>
    <message>
        <source>у функции «%1» слишком мало аргументов</source>
        <translation>too few arguments for the function “%1”</translation>
    </message>
    <message>
        <source>формула пуста</source>
        <translation>the formula is empty</translation>
    </message>
    <message>
        <source>здесь не может стоять «?»</source>
        <translation>“?” cannot stand here</translation>
    </message>
    <message>
        <source>после «?» не хватает «:»</source>
        <translation>“:” is missing after “?”</translation>
    </message>
    <message>
        <source>«:» без «?»</source>
        <translation>“:” without “?”</translation>
    </message>
    <message>
        <source>слишком длинное имя</source>
        <translation>a name is too long</translation>
    </message>
    <message>
        <source>формула слишком длинная: больше %1 байт</source>
        <translation>the formula is too long: more than %1 bytes</translation>
    </message>
    <message>
        <source>непечатаемый знак</source>
        <translation>a control character</translation>
    </message>
    <message>
        <source>формулу не удалось разобрать</source>
        <translation>the formula could not be read</translation>
    </message>
    <message>
        <source>присваивать в формуле нельзя; сравнение пишется «==»</source>
        <translation>a formula cannot assign; a comparison is written “==”</translation>
    </message>
    <message>
        <source>формула — одно выражение; запятая разделяет только аргументы функции</source>
        <translation>a formula is one expression; a comma only separates the arguments of a function</translation>
    </message>
    <message>
        <source>формулу не удалось вычислить</source>
        <translation>the formula could not be worked out</translation>
    </message>
</context>
<context>
    <name>FormulaCommand</name>
    <message>
        <source>команде formula нужен параметр --column</source>
        <translation>the command formula needs the option --column</translation>
    </message>
    <message>
        <source>команде formula нужен параметр --expr</source>
        <translation>the command formula needs the option --expr</translation>
    </message>
    <message>
        <source>команде formula нужен ровно один из параметров -o и --changes</source>
        <translation>the command formula needs exactly one of the options -o and --changes</translation>
    </message>
    <message>
        <source>ничего не записано</source>
        <translation>nothing was written</translation>
    </message>
    <message>
        <source>изменено полей: %1; не поместились в поле (%2): %3; результат не число: %4</source>
        <translation>fields changed: %1; did not fit their field (%2): %3; result not a number: %4</translation>
    </message>
    <message>
        <source>перенесены</source>
        <translation>wrapped</translation>
    </message>
    <message>
        <source>ограничены</source>
        <translation>limited</translation>
    </message>
    <message>
        <source>в таблице %1 нет столбца «%2»; есть %3</source>
        <translation>the table %1 has no column “%2”; there are %3</translation>
    </message>
    <message>
        <source>пустое условие</source>
        <translation>empty condition</translation>
    </message>
</context>
<context>
    <name>GridClipboard</name>
    <message>
        <source>За краем таблицы не поместилось ячеек: %1. Они не вставлены.</source>
        <translation>Cells past the edge of the table: %1. They were not pasted.</translation>
    </message>
</context>
<context>
    <name>GridModel</name>
    <message>
        <source>Нарушены проверки:</source>
        <translation>Broken checks:</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>error</translation>
    </message>
    <message>
        <source>предупреждение</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>вне разумных значений %1</source>
        <translation>outside the sane values %1</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>биты: %1</source>
        <translation>bits: %1</translation>
    </message>
    <message>
        <source>разумные значения: %1</source>
        <translation>sane values: %1</translation>
    </message>
    <message>
        <source>именованных битов: %1</source>
        <translation>named bits: %1</translation>
    </message>
    <message>
        <source>именованных значений: %1</source>
        <translation>named values: %1</translation>
    </message>
</context>
<context>
    <name>JournalFile</name>
    <message>
        <source>список изменений в нём не читается</source>
        <translation>its change list cannot be read</translation>
    </message>
    <message>
        <source>в нём не те столбцы</source>
        <translation>it has the wrong columns</translation>
    </message>
    <message>
        <source>строка %1 списка изменений не читается</source>
        <translation>line %1 of the change list cannot be read</translation>
    </message>
    <message numerus="yes">
        <source>%n поле</source>
        <translation>
            <numerusform>%n field</numerusform>
            <numerusform>%n fields</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n поля</source>
        <translation>
            <numerusform>%n field</numerusform>
            <numerusform>%n fields</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n полей</source>
        <translation>
            <numerusform>%n field</numerusform>
            <numerusform>%n fields</numerusform>
        </translation>
    </message>
    <message>
        <source>это не журнал или его начало потеряно</source>
        <translation>this is not a journal, or its beginning is lost</translation>
    </message>
    <message>
        <source>журнал записан другой версией программы</source>
        <translation>the journal was written by another version of the program</translation>
    </message>
    <message>
        <source>заголовок журнала повреждён</source>
        <translation>the journal header is damaged</translation>
    </message>
    <message>
        <source>журнал обрезан</source>
        <translation>the journal is cut short</translation>
    </message>
    <message>
        <source>журнал повреждён</source>
        <translation>the journal is damaged</translation>
    </message>
    <message>
        <source>для журнала не хватило памяти</source>
        <translation>not enough memory for the journal</translation>
    </message>
    <message>
        <source>Найдены несохранённые изменения файла «%1» (%2, %3).</source>
        <translation>Unsaved changes to the file “%1” were found (%2, %3).</translation>
    </message>
    <message>
        <source> Файл изменён после того, как они были записаны: поля, которые в нём уже не такие, как были, будут показаны перед восстановлением.</source>
        <translation> The file has changed since they were written: the fields that no longer hold what they held will be shown before recovery.</translation>
    </message>
    <message>
        <source> Восстановить их?</source>
        <translation> Recover them?</translation>
    </message>
    <message>
        <source>dd.MM.yyyy HH:mm:ss</source>
        <translation>d MMMM yyyy, HH:mm:ss</translation>
    </message>
</context>
<context>
    <name>Locale</name>
    <message>
        <source>ru_RU</source>
        <translation>en_GB</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Изменения</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>&amp;Вернуть значения из файла</source>
        <translation>Re&amp;vert to the values from the file</translation>
    </message>
    <message>
        <source>Найти:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>Найти название</source>
        <translation>Find a name</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Открыть...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>&amp;Сохранить как...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>&amp;Выход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Справка</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;О программе</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Изменения</source>
        <translation>&amp;Changes</translation>
    </message>
    <message>
        <source>&amp;Язык</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Правка</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Баланс</source>
        <translation>&amp;Balance</translation>
    </message>
    <message>
        <source>&amp;Отличия от файла для сравнения</source>
        <translation>Differences from the c&amp;omparison file</translation>
    </message>
    <message>
        <source>Вер&amp;нуть значения из файла</source>
        <translation>&amp;Revert to the values from the file</translation>
    </message>
    <message>
        <source>Вз&amp;ять значения из файла для сравнения</source>
        <translation>&amp;Take the values from the comparison file</translation>
    </message>
    <message>
        <source>&amp;Русский</source>
        <translation>&amp;Русский</translation>
    </message>
    <message>
        <source>С&amp;равнить с файлом...</source>
        <translation>Co&amp;mpare with a file...</translation>
    </message>
    <message>
        <source>&amp;Закрыть сравнение</source>
        <translation>C&amp;lose the comparison</translation>
    </message>
    <message>
        <source>Взять значения из файла для &amp;сравнения</source>
        <translation>&amp;Take the values from the comparison file</translation>
    </message>
    <message>
        <source>&amp;Изменить выделенные...</source>
        <translation>&amp;Edit the selection...</translation>
    </message>
    <message>
        <source>&amp;Следующее отличие от файла для сравнения</source>
        <translation>&amp;Next difference from the comparison file</translation>
    </message>
    <message>
        <source>&amp;Предыдущее отличие от файла для сравнения</source>
        <translation>&amp;Previous difference from the comparison file</translation>
    </message>
    <message>
        <source>Экспорт п&amp;атча...</source>
        <translation>Export a &amp;patch...</translation>
    </message>
    <message>
        <source>Применить пат&amp;ч...</source>
        <translation>Apply a pa&amp;tch...</translation>
    </message>
    <message>
        <source>&amp;Недавние файлы</source>
        <translation>Recent &amp;files</translation>
    </message>
    <message>
        <source>&amp;Очистить список</source>
        <translation>&amp;Clear the list</translation>
    </message>
    <message>
        <source>&amp;Экспорт таблицы в CSV...</source>
        <translation>&amp;Export the table to CSV...</translation>
    </message>
    <message>
        <source>&amp;Импорт таблицы из CSV...</source>
        <translation>&amp;Import a table from CSV...</translation>
    </message>
    <message>
        <source>Сохранить с&amp;писок изменений...</source>
        <translation>Save a &amp;change list...</translation>
    </message>
    <message>
        <source>При&amp;менить список изменений...</source>
        <translation>Appl&amp;y a change list...</translation>
    </message>
    <message>
        <source>Сохранить о&amp;тчёт о применённых списках изменений...</source>
        <translation>Save a &amp;report on the applied change lists...</translation>
    </message>
    <message>
        <source>Заметки о по&amp;лях</source>
        <translation>Field &amp;notes</translation>
    </message>
    <message>
        <source>&amp;Заметки программы</source>
        <translation>The &amp;program&apos;s notes</translation>
    </message>
    <message>
        <source>&amp;Биты...</source>
        <translation>&amp;Bits...</translation>
    </message>
    <message>
        <source>Проверки</source>
        <translation>Checks</translation>
    </message>
    <message>
        <source>Про&amp;верки</source>
        <translation>C&amp;hecks</translation>
    </message>
    <message>
        <source>&amp;Значения...</source>
        <translation>Va&amp;lues...</translation>
    </message>
    <message>
        <source>&amp;Заметка о поле...</source>
        <translation>Field &amp;note...</translation>
    </message>
    <message>
        <source>Провер&amp;ки...</source>
        <translation>Chec&amp;ks...</translation>
    </message>
</context>
<context>
    <name>NotesCommand</name>
    <message>
        <source>разумные значения: %1</source>
        <translation>sane values: %1</translation>
    </message>
    <message>
        <source>бит %1 (0x%2): %3</source>
        <translation>bit %1 (0x%2): %3</translation>
    </message>
    <message>
        <source>Проверки:</source>
        <translation>Checks:</translation>
    </message>
</context>
<context>
    <name>PatchFileCommands</name>
    <message>
        <source>Патч не записан: имя файла должно кончаться на .bps или .ips, по ним выбирается формат.</source>
        <translation>The patch was not written: the file name must end in .bps or .ips, which choose the format.</translation>
    </message>
    <message>
        <source>Патч не записан: %1.</source>
        <translation>The patch was not written: %1.</translation>
    </message>
    <message>
        <source>Патч не применён: %1.</source>
        <translation>The patch was not applied: %1.</translation>
    </message>
    <message>
        <source>Этот %1. Редактор записывает в файл только поля таблиц, поэтому эти байты не будут применены (патч целиком применяет trevalune-cli apply-patch --allow-other-bytes).

Применить только изменения таблиц?</source>
        <translation>This %1. The editor writes only the fields of the tables to the file, so these bytes will not be applied (trevalune-cli apply-patch --allow-other-bytes applies the whole patch).

Apply only the changes to the tables?</translation>
    </message>
    <message>
        <source>Патч не меняет ни одного поля таблиц.</source>
        <translation>The patch changes no field of the tables.</translation>
    </message>
</context>
<context>
    <name>PatchTexts</name>
    <message>
        <source>%1 байта</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>%1 байт</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>это не патч BPS или IPS</source>
        <translation>this is not a BPS or IPS patch</translation>
    </message>
    <message>
        <source>патч обрезан: он кончается раньше, чем описанные в нём изменения</source>
        <translation>the patch is cut short: it ends before the changes it describes</translation>
    </message>
    <message>
        <source>патч повреждён: он устроен не так, как требует его формат</source>
        <translation>the patch is damaged: it is not laid out as its format requires</translation>
    </message>
    <message>
        <source>патч повреждён: не сходится его контрольная сумма</source>
        <translation>the patch is damaged: its checksum does not match</translation>
    </message>
    <message>
        <source>патч сделан для другого файла</source>
        <translation>the patch was made for another file</translation>
    </message>
    <message>
        <source>патч не дал того файла, для которого сделан: не сходится контрольная сумма результата</source>
        <translation>the patch did not give the file it was made for: the checksum of the result does not match</translation>
    </message>
    <message>
        <source>патч повреждён: он читает или пишет за пределами файла или патча</source>
        <translation>the patch is damaged: it reads or writes beyond the file or the patch</translation>
    </message>
    <message>
        <source>патч описывает файл больше 256 МиБ</source>
        <translation>the patch describes a file over 256 MiB</translation>
    </message>
    <message>
        <source>IPS не может описать изменения дальше 16 МиБ от начала файла</source>
        <translation>IPS cannot describe changes beyond 16 MiB from the start of the file</translation>
    </message>
    <message>
        <source>неизвестная причина (%1)</source>
        <translation>unknown reason (%1)</translation>
    </message>
    <message>
        <source>меняет размер файла с %1 до %2 байт</source>
        <translation>changes the size of the file from %1 to %2 bytes</translation>
    </message>
    <message>
        <source>меняет %1 вне записей таблиц, первый по смещению 0x%2 (%3)</source>
        <translation>changes %1 outside the table records, the first at offset 0x%2 (%3)</translation>
    </message>
    <message>
        <source>патч </source>
        <translation>patch </translation>
    </message>
    <message>
        <source> и </source>
        <translation> and </translation>
    </message>
    <message>
        <source>%1, а записи таблиц кончаются на смещении %2: такой файл уже не открыть</source>
        <translation>%1, but the table records end at offset %2: such a file could no longer be opened</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Использование: %1</source>
        <translation>Usage: %1</translation>
    </message>
    <message>
        <source>[параметры]</source>
        <translation>[options]</translation>
    </message>
    <message>
        <source>Параметры:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Аргументы:</source>
        <translation>Arguments:</translation>
    </message>
    <message>
        <source>Неизвестный параметр «%1».</source>
        <translation>Unknown option &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Неизвестные параметры: %1.</source>
        <translation>Unknown options: %1.</translation>
    </message>
    <message>
        <source>Лишнее значение после «%1».</source>
        <translation>Unexpected value after &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Нет значения после «%1».</source>
        <translation>Missing value after &apos;%1&apos;.</translation>
    </message>
</context>
<context>
    <name>Quotes</name>
    <message>
        <source>«%1»</source>
        <translation>“%1”</translation>
    </message>
</context>
<context>
    <name>RangeEdit</name>
    <message>
        <source>Изменится ячеек: %1 из %2.</source>
        <translation>Cells to change: %1 of %2.</translation>
    </message>
    <message>
        <source>
Не помещаются в своё поле: %1; </source>
        <translation>
Values too large for their field: %1; </translation>
    </message>
    <message>
        <source>они будут перенесены, как при вводе.</source>
        <translation>they will wrap around, as typed values do.</translation>
    </message>
    <message>
        <source>они будут ограничены диапазоном поля.</source>
        <translation>they will be limited to the field&apos;s range.</translation>
    </message>
    <message>
        <source>
Не числа, оставлены как есть: %1.</source>
        <translation>
Not numbers, left as they are: %1.</translation>
    </message>
    <message>
        <source>
Результат формулы не число, ячейка оставлена как есть: %1.</source>
        <translation>
Cells left as they are, their formula&apos;s result not a number: %1.</translation>
    </message>
    <message>
        <source>Ничего не изменится: %1</source>
        <translation>Nothing will change: %1</translation>
    </message>
    <message>
        <source>Ячеек за концом файла: %1; их записей в файле нет, они останутся как есть.</source>
        <translation>Cells past the end of the file: %1; their records are not in the file, so they stay as they are.</translation>
    </message>
</context>
<context>
    <name>RangeEditDialog</name>
    <message>
        <source>Изменить выделенные</source>
        <translation>Edit selected</translation>
    </message>
    <message>
        <source>Установить значение N</source>
        <translation>Set to N</translation>
    </message>
    <message>
        <source>Прибавить N</source>
        <translation>Add N</translation>
    </message>
    <message>
        <source>Вычесть N</source>
        <translation>Subtract N</translation>
    </message>
    <message>
        <source>Ограничить диапазоном [мин, макс]</source>
        <translation>Limit to the range [min, max]</translation>
    </message>
    <message>
        <source>&amp;Действие:</source>
        <translation>&amp;Operation:</translation>
    </message>
    <message>
        <source>&amp;Мин:</source>
        <translation>&amp;Min:</translation>
    </message>
    <message>
        <source>Ма&amp;кс:</source>
        <translation>Ma&amp;x:</translation>
    </message>
    <message>
        <source>По формуле</source>
        <translation>By formula</translation>
    </message>
    <message>
        <source>&amp;Формула:</source>
        <translation>&amp;Formula:</translation>
    </message>
    <message>
        <source>Введите формулу.</source>
        <translation>Enter a formula.</translation>
    </message>
    <message>
        <source>value — значение ячейки, поля той же записи — по названию столбца, пробел как _, без точек (Здоровье, Мин_урон); + - * / ^, &lt; &lt;= &gt; &gt;= == !=, &amp;&amp; ||, условие ? да : нет, min, max, abs, round, floor, ceil, sqrt. Результат округляется; не число оставляет ячейку как есть.</source>
        <translation>value is the cell&apos;s value, the fields of the same entry are named by their column caption, a space as _, no dots (Health, Min_damage); + - * / ^, &lt; &lt;= &gt; &gt;= == !=, &amp;&amp; ||, condition ? yes : no, min, max, abs, round, floor, ceil, sqrt. The result is rounded; anything not a number leaves the cell as it is.</translation>
    </message>
    <message>
        <source>Умножить на процент</source>
        <translation>Multiply by a percentage</translation>
    </message>
    <message>
        <source>&amp;Процент:</source>
        <translation>&amp;Percentage:</translation>
    </message>
    <message>
        <source>Перен&amp;осить не помещающиеся значения, как при вводе (иначе ограничивать)</source>
        <translation>&amp;Wrap values that do not fit, as typed values do (limit them otherwise)</translation>
    </message>
</context>
<context>
    <name>RangeEditNumber</name>
    <message>
        <source>Введите целое число.</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>Число вне допустимого диапазона: от %1 до %2.</source>
        <translation>The number is out of range: from %1 to %2.</translation>
    </message>
    <message>
        <source>Введите число, можно с двумя знаками после запятой.</source>
        <translation>Enter a number, with at most two decimals.</translation>
    </message>
</context>
<context>
    <name>RecentFilesMenu</name>
    <message>
        <source>Файл «%1» не найден: он убран из списка недавних.</source>
        <translation>The file “%1” was not found: it was removed from the recent files.</translation>
    </message>
</context>
<context>
    <name>RecoveryJournal</name>
    <message>
        <source> файла «%1»</source>
        <translation> of the file “%1”</translation>
    </message>
    <message>
        <source>Журнал несохранённых изменений%1 не прочитан (%2) и отложен как «%3».</source>
        <translation>The journal of unsaved changes%1 was not read (%2) and was set aside as “%3”.</translation>
    </message>
    <message>
        <source>он о другом файле</source>
        <translation>it is about another file</translation>
    </message>
    <message>
        <source>Несохранённые изменения файла «%1» не записываются в журнал для восстановления: папка журнала недоступна для записи: %2. Папка журнала: «%3».</source>
        <translation>Unsaved changes to the file “%1” are not written to the recovery journal: the journal folder cannot be written to: %2. Journal folder: “%3”.</translation>
    </message>
    <message>
        <source>его имя не от его файла</source>
        <translation>its name is not that of its file</translation>
    </message>
</context>
<context>
    <name>Sample</name>
    <message>
        <source>Справка: trevalune-sample --help</source>
        <translation>Help: trevalune-sample --help</translation>
    </message>
    <message>
        <source>Пишет пример исполняемого файла для опытов: все таблицы на своих местах, придуманные
имена и разные значения. Одно и то же зерно всегда даёт одни и те же байты.

Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — файл не записан.</source>
        <translation>Writes a sample executable to try things on: every table at its place, invented
names and varied values. The same seed always gives the same bytes.

Exit codes: 0 done, 1 wrong arguments, 2 the file was not written.</translation>
    </message>
    <message>
        <source>Показать эту справку.</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>Показать версию.</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>Зерно, от 0 до 4294967295 (по умолчанию 1).</source>
        <translation>The seed, from 0 to 4294967295 (1 if not given).</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Язык ответов, ru или en. Без параметра — из TREVALUNE_LANG, иначе ru.</source>
        <translation>The language of the answers, ru or en. Without the option, from TREVALUNE_LANG, otherwise ru.</translation>
    </message>
    <message>
        <source>язык</source>
        <translation>language</translation>
    </message>
    <message>
        <source>ФАЙЛ</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Куда записать пример.</source>
        <translation>Where to write the sample.</translation>
    </message>
    <message>
        <source>неизвестный язык «%1»: нужен ru или en</source>
        <translation>unknown language “%1”: ru or en expected</translation>
    </message>
    <message>
        <source>неверное зерно «%1»: нужно целое число от 0 до 4294967295</source>
        <translation>wrong seed “%1”: a whole number from 0 to 4294967295 expected</translation>
    </message>
    <message>
        <source>не указан файл</source>
        <translation>no file given</translation>
    </message>
    <message>
        <source>нужен один файл, а указано %1</source>
        <translation>one file is needed, but %1 are given</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>%1
Справка: %2 --help
</source>
        <translation>%1
Help: %2 --help
</translation>
    </message>
    <message>
        <source>Редактор таблиц существ, построек и заклинаний в исполняемом файле игры.</source>
        <translation>Editor of the creature, building and spell tables in the game&apos;s executable.</translation>
    </message>
    <message>
        <source>Показать эту справку и выйти.</source>
        <translation>Show this help and exit.</translation>
    </message>
    <message>
        <source>Показать версию программы и выйти.</source>
        <translation>Show the version of the program and exit.</translation>
    </message>
    <message>
        <source>ФАЙЛ</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Открыть этот исполняемый файл сразу после запуска, как команда «Открыть».</source>
        <translation>Open this executable right after starting, as the Open command does.</translation>
    </message>
    <message>
        <source>[ФАЙЛ]</source>
        <translation>[FILE]</translation>
    </message>
    <message>
        <source>Можно открыть только один файл, а указано %1.</source>
        <translation>Only one file can be opened, but %1 were given.</translation>
    </message>
</context>
<context>
    <name>Steps</name>
    <message>
        <source>ввод</source>
        <translation>typing</translation>
    </message>
    <message>
        <source>изменение выделенных</source>
        <translation>editing the selection</translation>
    </message>
    <message>
        <source>возврат значений из файла</source>
        <translation>reverting to the values from the file</translation>
    </message>
    <message>
        <source>значения из файла для сравнения</source>
        <translation>taking the values from the comparison file</translation>
    </message>
    <message>
        <source>вставку</source>
        <translation>paste</translation>
    </message>
    <message>
        <source>восстановление</source>
        <translation>recovery</translation>
    </message>
    <message>
        <source>применение патча</source>
        <translation>applying the patch</translation>
    </message>
    <message>
        <source>импорт таблицы</source>
        <translation>table import</translation>
    </message>
    <message>
        <source>применение списка изменений</source>
        <translation>applying the change list</translation>
    </message>
    <message>
        <source>применение списков изменений</source>
        <translation>applying the change lists</translation>
    </message>
    <message>
        <source>биты</source>
        <translation>bits</translation>
    </message>
    <message>
        <source>значение</source>
        <translation>value</translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Версия %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Trevalune — свободная программа: GNU GPL версии 3 или новее.</source>
        <translation>Trevalune is free software: GNU GPL version 3 or later.</translation>
    </message>
    <message>
        <source>В ней используются:</source>
        <translation>It uses:</translation>
    </message>
    <message>
        <source>Qt %1 (GNU LGPL 3)</source>
        <translation>Qt %1 (GNU LGPL 3)</translation>
    </message>
    <message>
        <source>QCustomPlot %1 (GNU GPL 3 или новее), для графика</source>
        <translation>QCustomPlot %1 (GNU GPL 3 or later), for the chart</translation>
    </message>
    <message>
        <source>muParser %1 (BSD, 2 пункта), для формул</source>
        <translation>muParser %1 (BSD 2-clause), for formulas</translation>
    </message>
    <message>
        <source>libcsv %1 (GNU LGPL 2.1 или новее), для CSV</source>
        <translation>libcsv %1 (GNU LGPL 2.1 or later), for CSV</translation>
    </message>
    <message>
        <source>zlib %1 (лицензия zlib), для контрольных сумм</source>
        <translation>zlib %1 (zlib licence), for checksums</translation>
    </message>
    <message>
        <source>библиотеки GCC и MinGW-w64 (GNU GPL 3 с исключением для библиотек; MIT)</source>
        <translation>the GCC and MinGW-w64 runtime libraries (GNU GPL 3 with the runtime library exception; MIT)</translation>
    </message>
    <message>
        <source>Подробно, с текстами лицензий: THIRD-PARTY.txt рядом с программой.</source>
        <translation>In full, with the licence texts: THIRD-PARTY.txt beside the program.</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>&amp;Отменить</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Отменить %1</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message>
        <source>&amp;Повторить</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>&amp;Повторить %1</source>
        <translation>&amp;Redo %1</translation>
    </message>
</context>
<context>
    <name>TableDocument</name>
    <message>
        <source>Не удалось открыть файл «%1»: %2.</source>
        <translation>Could not open the file “%1”: %2.</translation>
    </message>
    <message>
        <source>Файл «%1» пуст: в нём нет таблиц.</source>
        <translation>The file “%1” is empty: it holds no tables.</translation>
    </message>
    <message>
        <source>Текущий файл «%1» не читается: %2.</source>
        <translation>The current file “%1” cannot be read: %2.</translation>
    </message>
    <message>
        <source>Текущий файл «%1» изменён другой программой после открытия или сохранения.</source>
        <translation>The current file “%1” was changed by another program after it was opened or saved.</translation>
    </message>
    <message>
        <source>

В памяти программы хранится файл в том виде, в каком он был открыт или сохранён последний раз. Сохранить его со всеми правками в «%1»?</source>
        <translation>

The program keeps the file as it was last opened or saved. Save it with all the edits to “%1”?</translation>
    </message>
    <message>
        <source>Не удалось сохранить файл «%1»: %2. Ни один файл не изменён.</source>
        <translation>Could not save the file “%1”: %2. No file was changed.</translation>
    </message>
    <message>
        <source>применение списка изменений</source>
        <translation>applying the change list</translation>
    </message>
    <message>
        <source>применение списков изменений</source>
        <translation>applying the change lists</translation>
    </message>
    <message>
        <source>импорт таблицы</source>
        <translation>table import</translation>
    </message>
    <message>
        <source>восстановление</source>
        <translation>recovery</translation>
    </message>
</context>
<context>
    <name>TableFileCommands</name>
    <message>
        <source>Таблица не импортирована, ничего не изменено:</source>
        <translation>The table was not imported, nothing was changed:</translation>
    </message>
    <message>
        <source>Значений, которые не помещаются в своё поле: %1.
</source>
        <translation>Values that do not fit their field: %1.
</translation>
    </message>
    <message>
        <source>

Ограничить их диапазоном поля, оставить их младшие биты, как при вводе, или ничего не менять?</source>
        <translation>

Limit them to the range of the field, keep their low bits as when typed, or change nothing?</translation>
    </message>
    <message>
        <source>Список изменений не применён, ничего не изменено:</source>
        <translation>The change list was not applied, nothing was changed:</translation>
    </message>
    <message>
        <source>Эти поля в файле уже не такие, как записано в списке изменений:</source>
        <translation>These fields in the file no longer hold what the change list says:</translation>
    </message>
    <message>
        <source>

Применить остальные изменения, все изменения или ничего?</source>
        <translation>

Apply the other changes, all changes, or nothing?</translation>
    </message>
    <message>
        <source>Списки изменений не применены, ничего не изменено:</source>
        <translation>The change lists were not applied, nothing was changed:</translation>
    </message>
    <message>
        <source>Списки задают этим полям разные значения:
</source>
        <translation>The lists set these fields to different values:
</translation>
    </message>
    <message>
        <source>

Взять значения из более позднего списка, из более раннего или ничего не применять?</source>
        <translation>

Take the values from the later list, from the earlier one, or apply nothing?</translation>
    </message>
    <message>
        <source>Эти поля в файле уже не такие, как записано в списках изменений:</source>
        <translation>These fields in the file no longer hold what the change lists say:</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>Не удалось прочитать стандартный ввод: %1.</source>
        <translation>Could not read the standard input: %1.</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл «%1»: %2.</source>
        <translation>Could not read the file “%1”: %2.</translation>
    </message>
    <message>
        <source>Не удалось записать в стандартный вывод: %1.</source>
        <translation>Could not write to the standard output: %1.</translation>
    </message>
    <message>
        <source>Не удалось записать файл «%1»: %2.</source>
        <translation>Could not write the file “%1”: %2.</translation>
    </message>
</context>
<context>
    <name>UserDialogs</name>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Размер выбранного исполняемого файла отличается от стандартного. Всё равно продолжить?</source>
        <translation>The size of the chosen executable differs from the standard one. Continue anyway?</translation>
    </message>
    <message>
        <source>Вопрос</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Конфликты</source>
        <translation>Conflicts</translation>
    </message>
    <message>
        <source>Конфликты списков</source>
        <translation>Conflicts between lists</translation>
    </message>
    <message>
        <source>Значения вне диапазона</source>
        <translation>Values out of range</translation>
    </message>
    <message>
        <source>Патчи BPS и IPS (*.bps *.ips)</source>
        <translation>BPS and IPS patches (*.bps *.ips)</translation>
    </message>
    <message>
        <source>Сравнить с файлом</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>Применить списки изменений</source>
        <translation>Apply change lists</translation>
    </message>
    <message>
        <source>Импорт таблицы из CSV</source>
        <translation>Import a table from CSV</translation>
    </message>
    <message>
        <source>Применить патч</source>
        <translation>Apply a patch</translation>
    </message>
    <message>
        <source>&amp;Восстановить</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>&amp;Отбросить</source>
        <translation>&amp;Discard</translation>
    </message>
    <message>
        <source>Применить &amp;остальные</source>
        <translation>Apply the &amp;others</translation>
    </message>
    <message>
        <source>Применить &amp;все</source>
        <translation>Apply &amp;all</translation>
    </message>
    <message>
        <source>Взять из более &amp;позднего списка</source>
        <translation>Take from the &amp;later list</translation>
    </message>
    <message>
        <source>Взять из более &amp;раннего списка</source>
        <translation>Take from the &amp;earlier list</translation>
    </message>
    <message>
        <source>&amp;Ограничить диапазоном поля</source>
        <translation>&amp;Limit to the range of the field</translation>
    </message>
    <message>
        <source>Оставить &amp;младшие биты</source>
        <translation>&amp;Keep the low bits</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Значения: %1</source>
        <translation>Values: %1</translation>
    </message>
    <message>
        <source>Значение поля:</source>
        <translation>The field&apos;s value:</translation>
    </message>
</context>
</TS>
