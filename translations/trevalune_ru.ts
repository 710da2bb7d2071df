<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru">
<context>
    <name>Cli</name>
    <message numerus="yes">
        <source>команде %1 нужен %n файл</source>
        <translation>
            <numerusform>команде %1 нужен %n файл</numerusform>
            <numerusform>команде %1 нужно %n файла</numerusform>
            <numerusform>команде %1 нужно %n файлов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>команде %1 нужно не меньше %n файла</source>
        <translation>
            <numerusform>команде %1 нужно не меньше %n файла</numerusform>
            <numerusform>команде %1 нужно не меньше %n файлов</numerusform>
            <numerusform>команде %1 нужно не меньше %n файлов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1, а указан %n</source>
        <translation>
            <numerusform>%1, а указан %n</numerusform>
            <numerusform>%1, а указано %n</numerusform>
            <numerusform>%1, а указано %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CsvIssue</name>
    <message numerus="yes">
        <source>и ещё %n ошибка</source>
        <translation>
            <numerusform>и ещё %n ошибка</numerusform>
            <numerusform>и ещё %n ошибка</numerusform>
            <numerusform>и ещё %n ошибка</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>и ещё %n ошибки</source>
        <translation>
            <numerusform>и ещё %n ошибки</numerusform>
            <numerusform>и ещё %n ошибки</numerusform>
            <numerusform>и ещё %n ошибки</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>и ещё %n ошибок</source>
        <translation>
            <numerusform>и ещё %n ошибок</numerusform>
            <numerusform>и ещё %n ошибок</numerusform>
            <numerusform>и ещё %n ошибок</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>JournalFile</name>
    <message numerus="yes">
        <source>%n поле</source>
        <translation>
            <numerusform>%n поле</numerusform>
            <numerusform>%n поле</numerusform>
            <numerusform>%n поле</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n поля</source>
        <translation>
            <numerusform>%n поля</numerusform>
            <numerusform>%n поля</numerusform>
            <numerusform>%n поля</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n полей</source>
        <translation>
            <numerusform>%n полей</numerusform>
            <numerusform>%n полей</numerusform>
            <numerusform>%n полей</numerusform>
        </translation>
    </message>
</context>
</TS>
