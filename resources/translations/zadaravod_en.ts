<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>CommandState</name>
    <message>
        <source>&amp;Отменить: %1</source>
        <translation>&amp;Undo: %1</translation>
    </message>
    <message>
        <source>&amp;Отменить</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Повторить: %1</source>
        <translation>&amp;Redo: %1</translation>
    </message>
    <message>
        <source>&amp;Повторить</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>вставка звука</source>
        <translation>Insert sound</translation>
    </message>
    <message>
        <source>вставка тишины</source>
        <translation>Insert silence</translation>
    </message>
    <message>
        <source>добавление звука в список</source>
        <translation>Add sound to list</translation>
    </message>
    <message>
        <source>удаление записи</source>
        <translation>Delete entry</translation>
    </message>
    <message>
        <source>очистка списка</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>очистка всех списков</source>
        <translation>Clear all lists</translation>
    </message>
    <message>
        <source>замена записи</source>
        <translation>Replace entry</translation>
    </message>
    <message>
        <source>перемещение записи</source>
        <translation>Move entry</translation>
    </message>
    <message>
        <source>загрузка звуков</source>
        <translation>Load sounds</translation>
    </message>
    <message>
        <source>удаление звука</source>
        <translation>Delete sound</translation>
    </message>
    <message>
        <source>очистка библиотеки</source>
        <translation>Clear library</translation>
    </message>
    <message>
        <source>обработка звука</source>
        <translation>Process sound</translation>
    </message>
    <message>
        <source>синтез речи</source>
        <translation>Speech synthesis</translation>
    </message>
    <message>
        <source>загрузка фоновой музыки</source>
        <translation>Load background music</translation>
    </message>
    <message>
        <source>очистка фоновой музыки</source>
        <translation>Clear background music</translation>
    </message>
    <message>
        <source>конфигурация кодека</source>
        <translation>Codec settings</translation>
    </message>
    <message>
        <source>функции клавиш</source>
        <translation>Key functions</translation>
    </message>
    <message>
        <source>списки клавиш</source>
        <translation>Key lists</translation>
    </message>
    <message>
        <source>режим управления</source>
        <translation>Control mode</translation>
    </message>
    <message>
        <source>размер флеш-памяти</source>
        <translation>Flash size</translation>
    </message>
    <message>
        <source>выбор образа</source>
        <translation>Choose image</translation>
    </message>
    <message>
        <source>изменение</source>
        <translation>Change</translation>
    </message>
</context>
<context>
    <name>CoreTexts</name>
    <message>
        <source>KD-7731 редактор образов</source>
        <translation>KD-7731 Image Editor</translation>
    </message>
    <message>
        <source>Настройка кодека</source>
        <translation>Codec Settings</translation>
    </message>
    <message>
        <source>Настройка ключевого режима</source>
        <translation>Key Mode Setup</translation>
    </message>
    <message>
        <source>Настройки выравнивания</source>
        <translation>Key Lists Setup</translation>
    </message>
    <message>
        <source>Диапазон : 0 - 219</source>
        <translation>Range: 0 - 219</translation>
    </message>
    <message>
        <source>请先存文件后,方可打开!</source>
        <translation>Please save the project first, then it can be opened!</translation>
    </message>
    <message>
        <source>Кл. %1</source>
        <translation>Key %1</translation>
    </message>
    <message>
        <source>EXCEL初始化时出错!
%1</source>
        <translation>The workbook could not be prepared!
%1</translation>
    </message>
    <message>
        <source>路径%1错误,不能打开显示!</source>
        <translation>The path %1 is wrong; it cannot be opened for display!</translation>
    </message>
</context>
<context>
    <name>KeyGridDialog</name>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Длинна треков</source>
        <translation>Track length</translation>
    </message>
    <message>
        <source>Использование памяти</source>
        <translation>Memory use</translation>
    </message>
    <message>
        <source>Создать</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Сохранить как</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>Закрыть проект</source>
        <translation>&amp;Close Project</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Excel</source>
        <translation>&amp;Excel</translation>
    </message>
    <message>
        <source>Панель инструментов</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>Строка состояния</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>Ключевой</source>
        <translation>&amp;Key</translation>
    </message>
    <message>
        <source>Однопроводный</source>
        <translation>&amp;One Line</translation>
    </message>
    <message>
        <source>3-х проводный</source>
        <translation>&amp;Three Line</translation>
    </message>
    <message>
        <source>Параллельный порт</source>
        <translation>&amp;Parallel Port</translation>
    </message>
    <message>
        <source>Матрица 3x8</source>
        <translation>3x8 &amp;Matrix</translation>
    </message>
    <message>
        <source>Mp3</source>
        <translation>Mp3</translation>
    </message>
    <message>
        <source>Собрать образ (BIN)</source>
        <translation>&amp;Build Image (BIN)</translation>
    </message>
    <message>
        <source>Конфигурация кодека</source>
        <translation>Codec &amp;Settings...</translation>
    </message>
    <message>
        <source>Настройка ключевого режима</source>
        <translation>&amp;Key Mode Setup...</translation>
    </message>
    <message>
        <source>Настройки выравнивания</source>
        <translation>Key &amp;Lists Setup...</translation>
    </message>
    <message>
        <source>Загрузить в устройство</source>
        <translation>&amp;Download to Device</translation>
    </message>
    <message>
        <source>Образ</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>MP3/WMA в WAV</source>
        <translation>MP3/WMA to WAV</translation>
    </message>
    <message>
        <source>&amp;Отменить</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Повторить</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Проверить проект</source>
        <translation>&amp;Check Project</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Помощь</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Загрузить</source>
        <translation>&amp;Load...</translation>
    </message>
    <message>
        <source>&amp;Удалить</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>&amp;Очистить</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>&amp;Воспроизвести</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>Трек</source>
        <translation>&amp;Track...</translation>
    </message>
    <message>
        <source>&amp;10 мСек</source>
        <translation>&amp;10 ms</translation>
    </message>
    <message>
        <source>&amp;20 мСек</source>
        <translation>&amp;20 ms</translation>
    </message>
    <message>
        <source>&amp;50 мСек</source>
        <translation>&amp;50 ms</translation>
    </message>
    <message>
        <source>100 мСек</source>
        <translation>100 ms</translation>
    </message>
    <message>
        <source>200 мСек</source>
        <translation>200 ms</translation>
    </message>
    <message>
        <source>300 мСек</source>
        <translation>300 ms</translation>
    </message>
    <message>
        <source>Произвольная тишина</source>
        <translation>&amp;Custom Silence...</translation>
    </message>
    <message>
        <source>Очистить &amp;все</source>
        <translation>Clear &amp;All</translation>
    </message>
    <message>
        <source>Как на &amp;микросхеме</source>
        <translation>As on the C&amp;hip</translation>
    </message>
    <message>
        <source>Синтез речи…</source>
        <translation>Spea&amp;k Text…</translation>
    </message>
    <message>
        <source>Обработать…</source>
        <translation>Pr&amp;ocess…</translation>
    </message>
    <message>
        <source>Обрезать тишину при загрузке</source>
        <translation>&amp;Trim Silence on Load</translation>
    </message>
    <message>
        <source>Выравнивать громкость при загрузке</source>
        <translation>E&amp;ven Out Loudness on Load</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Последние проекты</source>
        <translation>&amp;Recent Projects</translation>
    </message>
    <message>
        <source>&amp;Правка</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Режим</source>
        <translation>&amp;Mode</translation>
    </message>
    <message>
        <source>&amp;Действия</source>
        <translation>&amp;Actions</translation>
    </message>
    <message>
        <source>&amp;Инструменты</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;Язык</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Помощь</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Режим:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>Список № :</source>
        <translation>List No.:</translation>
    </message>
    <message>
        <source>Память :</source>
        <translation>Memory:</translation>
    </message>
    <message>
        <source>Панель инструментов</source>
        <comment>toolbar title</comment>
        <translation>Toolbar</translation>
    </message>
</context>
<context>
    <name>ViewTexts</name>
    <message>
        <source>Содержит команды для отображения и скрытия строки состояния</source>
        <translation>Shows or hides the toolbar and the status bar</translation>
    </message>
    <message>
        <source>Новый проект</source>
        <translation>New project</translation>
    </message>
    <message>
        <source>Открыть проект</source>
        <translation>Open project</translation>
    </message>
    <message>
        <source>Собрать образ</source>
        <translation>Build image</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Выгрузить в устройство</source>
        <translation>Download to device</translation>
    </message>
    <message>
        <source>Помощь</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Сохранить как</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Закрыть проект</source>
        <translation>Close project</translation>
    </message>
    <message>
        <source>Экспорт в excel</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>Сохранить проект</source>
        <translation>Save project</translation>
    </message>
</context>
<context>
    <name>zadaravod::CAboutDlg</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>KD-7731 редактор образов v.1.0</source>
        <translation>KD-7731 Image Editor v.1.0</translation>
    </message>
</context>
<context>
    <name>zadaravod::CAddSilenceDlg</name>
    <message>
        <source>Добавить тишину</source>
        <translation>Add Silence</translation>
    </message>
    <message>
        <source>Введите продолжительность:</source>
        <translation>Enter the length:</translation>
    </message>
    <message>
        <source>10 мСек</source>
        <translation>10 ms</translation>
    </message>
    <message>
        <source>Сек</source>
        <translation>s</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::CConfirmDlg</name>
    <message>
        <source>Подтвердить</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Подтвердите удаление</source>
        <translation>Confirm the deletion</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::CListCtrl_Playlist</name>
    <message>
        <source>&amp;Вставить</source>
        <translation>&amp;Insert</translation>
    </message>
</context>
<context>
    <name>zadaravod::COptionsDlg</name>
    <message>
        <source>Способ управления :</source>
        <translation>Control mode:</translation>
    </message>
    <message>
        <source>Однопроводный</source>
        <translation>One line</translation>
    </message>
    <message>
        <source>3-х проводный</source>
        <translation>Three line</translation>
    </message>
    <message>
        <source>MP3 Mode</source>
        <translation>MP3 Mode</translation>
    </message>
    <message>
        <source>Параллельный порт</source>
        <translation>Parallel port</translation>
    </message>
    <message>
        <source>3 x 8 Матрица</source>
        <translation>3 x 8 matrix</translation>
    </message>
    <message>
        <source>Расширеный</source>
        <translation>Extended</translation>
    </message>
    <message>
        <source>Ключевой</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Фоновая музыка</source>
        <translation>Background music</translation>
    </message>
    <message>
        <source>Аудио выход</source>
        <translation>Audio output</translation>
    </message>
    <message>
        <source>ЦАП</source>
        <translation>DAC</translation>
    </message>
    <message>
        <source>ШИМ</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>Режим занятости :</source>
        <translation>Busy level:</translation>
    </message>
    <message>
        <source>Лог. 0</source>
        <translation>Logic 0</translation>
    </message>
    <message>
        <source>Лог. 1</source>
        <translation>Logic 1</translation>
    </message>
    <message>
        <source>Внешний режим</source>
        <translation>External mode</translation>
    </message>
    <message>
        <source>Подтягивающий резистор</source>
        <translation>Pull-up resistor</translation>
    </message>
    <message>
        <source>Настройка ключевого режима...</source>
        <translation>Key Mode Setup...</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::CSamplingDlg</name>
    <message>
        <source>Выберите частоту дескритизации</source>
        <translation>Choose the sampling rate</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::CSoundLibraryDlg</name>
    <message>
        <source>Звуковая библиотека</source>
        <translation>Sound Library</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::KeyGridDialog</name>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>zadaravod::ProcessSoundDialog</name>
    <message>
        <source>Обработка звука</source>
        <translation>Process Sound</translation>
    </message>
    <message>
        <source>Обрезать тишину</source>
        <translation>Trim silence</translation>
    </message>
    <message>
        <source> dBFS</source>
        <translation> dBFS</translation>
    </message>
    <message>
        <source>Всё, что тише порога в начале и в конце, отрезается</source>
        <translation>Everything quieter than the threshold at the start and at the end is cut off</translation>
    </message>
    <message>
        <source>Выровнять громкость</source>
        <translation>Normalize loudness</translation>
    </message>
    <message>
        <source> LUFS</source>
        <translation> LUFS</translation>
    </message>
    <message>
        <source>Громкость по EBU R128; пики не выше -1 dBTP</source>
        <translation>Loudness by EBU R128; peaks no higher than -1 dBTP</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Порог тишины:</source>
        <translation>Silence threshold:</translation>
    </message>
    <message>
        <source>Целевая громкость:</source>
        <translation>Target loudness:</translation>
    </message>
    <message>
        <source>Звук: %1</source>
        <translation>Sound: %1</translation>
    </message>
</context>
<context>
    <name>zadaravod::ProjectCheckDialog</name>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Совет</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>Проект содержит ошибки, поэтому команда не выполнена. Исправьте их и повторите.</source>
        <translation>The project has errors, so the command was not carried out. Correct them and try again.</translation>
    </message>
    <message>
        <source>Устройство может работать не так, как вы ожидаете. Продолжить всё равно?</source>
        <translation>The device may not work as you expect. Continue anyway?</translation>
    </message>
    <message>
        <source>Проверка проекта</source>
        <translation>Project Check</translation>
    </message>
    <message>
        <source>Важность</source>
        <translation>Severity</translation>
    </message>
    <message>
        <source>Место</source>
        <translation>Where</translation>
    </message>
    <message>
        <source>Что не так</source>
        <translation>What is wrong</translation>
    </message>
    <message>
        <source>Что сделать</source>
        <translation>What to do</translation>
    </message>
    <message>
        <source>Продолжить</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>zadaravod::SpeakDialog</name>
    <message>
        <source>Синтез речи</source>
        <translation>Speech Synthesis</translation>
    </message>
    <message>
        <source>Текст подсказки, например «Дверь открыта»</source>
        <translation>The prompt&apos;s text, for example “The door is open”</translation>
    </message>
    <message>
        <source> слов/мин</source>
        <translation> words/min</translation>
    </message>
    <message>
        <source>Прослушать</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Текст:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>Голос:</source>
        <translation>Voice:</translation>
    </message>
    <message>
        <source>Скорость:</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>Высота тона:</source>
        <translation>Pitch:</translation>
    </message>
    <message>
        <source>Частота дискретизации:</source>
        <translation>Sampling rate:</translation>
    </message>
    <message>
        <source>Имя файла:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>Синтезатор речи недоступен: %1</source>
        <translation>The speech synthesizer is not available: %1</translation>
    </message>
    <message>
        <source>%1 Гц</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Введите текст.</source>
        <translation>Enter a text.</translation>
    </message>
    <message>
        <source>Текст длиннее %1 символов; сократите его.</source>
        <translation>The text is longer than %1 characters; shorten it.</translation>
    </message>
    <message>
        <source>Нет частоты дискретизации на выбор.</source>
        <translation>There is no sampling rate to choose.</translation>
    </message>
    <message>
        <source>Введите имя файла.</source>
        <translation>Enter a file name.</translation>
    </message>
    <message>
        <source>Такое имя файла нельзя использовать: в нём есть «/» или «\», или оно длиннее 255 байт.</source>
        <translation>This file name cannot be used: it contains “/” or “\”, or it is longer than 255 bytes.</translation>
    </message>
    <message>
        <source>Звук с именем «%1» уже есть в проекте; выберите другое имя.</source>
        <translation>The project already has a sound named “%1”; choose another name.</translation>
    </message>
    <message>
        <source>Не удалось подготовить звук: %1</source>
        <translation>The sound could not be prepared: %1</translation>
    </message>
    <message>
        <source>Звук не удалось воспроизвести.</source>
        <translation>The sound could not be played.</translation>
    </message>
    <message>
        <source>Звучит: %1 мс</source>
        <translation>Playing: %1 ms</translation>
    </message>
</context>
</TS>
