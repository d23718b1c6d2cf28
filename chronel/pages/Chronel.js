/* Chronel's pages: the navigation shared by all of them, and what each page reads from and
   writes to the program. The program is reached only through window.external, the
   automation object the page host hands to the browser control. The control runs the
   system's Internet Explorer engine, so this file is ES5 throughout: no let, const, arrow
   functions, classList or fetch. */
/* exported Chronel */
var Chronel = (function () {
    'use strict';

    var PAGES = [
        { id: 'home', file: 'HomePage.htm', title: 'Clock' },
        { id: 'sources', file: 'TimeSources.htm', title: 'Time Sources' },
        { id: 'schedule', file: 'Schedule.htm', title: 'Schedule' },
        { id: 'zones', file: 'WorldTime.htm', title: 'World Time' },
        { id: 'reminders', file: 'Reminders.htm', title: 'Reminders' },
        { id: 'history', file: 'History.htm', title: 'History' },
        { id: 'about', file: 'About.htm', title: 'About' }
    ];

    var SERVER_COUNT = 5;
    var REFRESH_MS = 200;
    // The message box of the history's "Clear": Yes and No buttons, the question icon.
    var MB_YESNO = 0x4;
    var MB_ICONQUESTION = 0x20;
    var IDYES = 6;
    var NO_SCHEDULE = 'No automatic update scheduled';
    var CLEAR_QUESTION = 'This will clear all historical correction data (this data is kept for your ' +
        'reference and is not required by the software).  Do you wish to continue and delete the data?';

    function $(id) {
        return document.getElementById(id);
    }

    function program() {
        return window.external;
    }

    function setText(element, text) {
        element.textContent = text === undefined || text === null ? '' : String(text);
    }

    function on(element, type, handler) {
        element.addEventListener(type, handler, false);
    }

    function hasClass(element, name) {
        return (' ' + element.className + ' ').indexOf(' ' + name + ' ') >= 0;
    }

    function setClass(element, name, wanted) {
        var names = element.className ? element.className.split(/\s+/) : [];
        var kept = [];
        for (var i = 0; i < names.length; i++) {
            if (names[i] && names[i] !== name) {
                kept.push(names[i]);
            }
        }
        if (wanted) {
            kept.push(name);
        }
        element.className = kept.join(' ');
    }

    // The automation object's flags are 0 or 1.
    function flag(value) {
        return value ? 1 : 0;
    }

    // A short confirmation beside a control, gone after a few seconds.
    function showMessage(element, text, isError) {
        setText(element, text);
        setClass(element, 'error', !!isError);
        if (element.hideTimer) {
            window.clearTimeout(element.hideTimer);
        }
        element.hideTimer = window.setTimeout(function () {
            setText(element, '');
        }, 4000);
    }

    function buildNav(current) {
        var nav = $('nav');
        if (!nav) {
            return;
        }
        var brand = document.createElement('span');
        brand.className = 'brand';
        var logo = document.createElement('img');
        logo.src = 'Chronel.svg';
        logo.alt = '';
        brand.appendChild(logo);
        brand.appendChild(document.createTextNode('Chronel'));
        nav.appendChild(brand);

        var list = document.createElement('ul');
        for (var i = 0; i < PAGES.length; i++) {
            var item = document.createElement('li');
            var link = document.createElement('a');
            link.href = PAGES[i].file;
            link.id = 'nav-' + PAGES[i].id;
            setText(link, PAGES[i].title);
            if (PAGES[i].id === current) {
                link.className = 'current';
                link.setAttribute('aria-current', 'page');
            }
            item.appendChild(link);
            list.appendChild(item);
        }
        nav.appendChild(list);
    }

    // The next check, or that there is none while automatic checks are off.
    function nextCheckText(ext) {
        return ext.GetAutocheck() === 1 ? ext.GetNextCheckText() : NO_SCHEDULE;
    }

    // --- Clock ------------------------------------------------------------------------

    function initHome() {
        var ext = program();
        var tick = 0;

        function refreshChecks() {
            setText($('last-check'), ext.GetLastCheckText());
            setText($('next-check'), nextCheckText(ext));
        }

        function refresh() {
            setText($('local-time'), ext.GetLocalTime());
            setText($('local-date'), ext.GetLocalDate());
            setText($('server-time'), ext.GetServerTime());
            setText($('server-date'), ext.GetServerDate());
            var status = $('status');
            setText(status, ext.GetStatus());
            // 1: no server answered; -1: the clocks differ; 0: they agree or a check runs.
            var comparison = ext.CompareClocks();
            setClass(status, 'failed', comparison === 1);
            setClass(status, 'off', comparison === -1);
            setClass(status, 'fine', comparison === 0);
            if (tick % 5 === 0) {
                refreshChecks();
            }
            tick++;
        }

        on($('correct-now'), 'click', function () {
            ext.CorrectNow();
            tick = 0;
            refresh();
        });

        refresh();
        window.setInterval(refresh, REFRESH_MS);
    }

    // --- Time sources -----------------------------------------------------------------

    function initSources() {
        var ext = program();
        var message = $('servers-message');

        function load() {
            for (var k = 1; k <= SERVER_COUNT; k++) {
                var text = ext.GetServer(k);
                $('server-' + k).value = typeof text === 'string' ? text : '';
            }
            $('internet-check').checked = ext.GetInternetCheck() === 1;
        }

        // A host name or address: no blanks inside, nothing a server list cannot hold.
        function validHost(text) {
            return text === '' || /^[A-Za-z0-9.\-:\[\]]+$/.test(text);
        }

        function save(k) {
            var field = $('server-' + k);
            var text = field.value.replace(/^\s+|\s+$/g, '');
            if (!validHost(text)) {
                setClass(field, 'invalid', true);
                showMessage(message, 'Server ' + k + ' is not a host name or address.', true);
                return;
            }
            setClass(field, 'invalid', false);
            field.value = text;
            ext.SetServer(k, text);
            showMessage(message, 'Server ' + k + ' saved.');
        }

        function watch(k) {
            on($('server-' + k), 'change', function () {
                save(k);
            });
        }

        for (var k = 1; k <= SERVER_COUNT; k++) {
            watch(k);
        }
        on($('restore-defaults'), 'click', function () {
            ext.SetDefaultServers();
            load();
            for (var k = 1; k <= SERVER_COUNT; k++) {
                setClass($('server-' + k), 'invalid', false);
            }
            showMessage(message, 'The default time servers are restored.');
        });
        on($('internet-check'), 'click', function () {
            ext.SetInternetCheck(flag($('internet-check').checked));
        });

        setText($('internet-check-text'), ext.GetInternetCheckText());
        load();
    }

    // --- Schedule ---------------------------------------------------------------------

    function initSchedule() {
        var ext = program();
        var message = $('schedule-message');

        function enable(id, on) {
            $(id).disabled = !on;
            var label = $(id).parentNode;
            if (label && hasClass(label, 'choice')) {
                setClass(label, 'disabled', !on);
            }
        }

        function update() {
            var automatic = $('autocheck').checked;
            enable('daily', automatic);
            enable('every', automatic);
            $('hours').disabled = !automatic || !$('every').checked;
            enable('tooltip-date', $('tray-icon').checked);
            setText($('next-check'), nextCheckText(ext));
            setText($('last-check'), ext.GetLastCheckText());
        }

        function load() {
            $('autocheck').checked = ext.GetAutocheck() === 1;
            var daily = ext.GetDailyUpdate() === 1;
            $('daily').checked = daily;
            $('every').checked = !daily;
            $('hours').value = String(ext.GetHours());
            $('exit-on-check').checked = ext.GetExitOnCheck() === 1;
            $('tray-icon').checked = ext.GetTaskBarIcon() === 1;
            $('tooltip-date').checked = ext.GetShowDateInTooltip() === 1;
            update();
        }

        function saveHours() {
            var field = $('hours');
            var text = field.value.replace(/^\s+|\s+$/g, '');
            if (!/^[0-9]{1,3}$/.test(text) || parseInt(text, 10) < 1) {
                setClass(field, 'invalid', true);
                showMessage(message, 'Enter a number of hours from 1 to 999.', true);
                return;
            }
            setClass(field, 'invalid', false);
            ext.SetHours(parseInt(text, 10));
            field.value = String(ext.GetHours());
            update();
            showMessage(message, 'Saved.');
        }

        on($('autocheck'), 'click', function () {
            ext.SetAutocheck(flag($('autocheck').checked));
            update();
        });
        on($('daily'), 'click', function () {
            ext.SetDailyUpdate(1);
            update();
        });
        on($('every'), 'click', function () {
            ext.SetDailyUpdate(0);
            saveHours();
        });
        on($('hours'), 'change', saveHours);
        on($('exit-on-check'), 'click', function () {
            ext.SetExitOnCheck(flag($('exit-on-check').checked));
        });
        on($('tray-icon'), 'click', function () {
            ext.SetTaskBarIcon(flag($('tray-icon').checked));
            update();
        });
        on($('tooltip-date'), 'click', function () {
            ext.SetShowDateInTooltip(flag($('tooltip-date').checked));
        });

        load();
    }

    // --- History ----------------------------------------------------------------------

    // A log entry is "time#correction"; the first "#" divides the columns.
    function splitEntry(entry) {
        var at = entry.indexOf('#');
        if (at < 0) {
            return { time: entry, correction: '' };
        }
        return { time: entry.substring(0, at), correction: entry.substring(at + 1) };
    }

    function cell(row, text, className) {
        var td = document.createElement('td');
        setText(td, text);
        if (className) {
            td.className = className;
        }
        row.appendChild(td);
        return td;
    }

    function initHistory() {
        var ext = program();
        var message = $('limit-message');

        function load() {
            var count = ext.GetCorrectionCount();
            setText($('count'), count);
            var mean = ext.GetMeanCorrection();
            setText($('mean'), mean ? mean : '\u2014');

            var body = $('log-rows');
            while (body.firstChild) {
                body.removeChild(body.firstChild);
            }
            var shown = 0;
            for (var n = 1; n <= count; n++) {
                var entry = ext.GetLogEntry(n);
                if (typeof entry !== 'string') {
                    break; // the log is shorter than the count says
                }
                var parts = splitEntry(entry);
                var row = document.createElement('tr');
                cell(row, parts.time);
                cell(row, parts.correction);
                body.appendChild(row);
                shown++;
            }
            if (shown === 0) {
                var empty = document.createElement('tr');
                cell(empty, 'No corrections have been made.', 'empty').colSpan = 2;
                body.appendChild(empty);
            }
            $('clear').disabled = shown === 0 && count === 0;

            var limited = ext.GetLimitLog() === 1;
            var size = ext.GetLogMaxSize();
            $('limit').checked = limited;
            $('limit-size').value = size > 0 ? String(size) : '50';
            $('limit-size').disabled = !limited;
        }

        function saveLimit() {
            var field = $('limit-size');
            var limited = $('limit').checked;
            field.disabled = !limited;
            if (!limited) {
                setClass(field, 'invalid', false);
                ext.SetLimitLog(0);
                return;
            }
            var text = field.value.replace(/^\s+|\s+$/g, '');
            if (!/^[0-9]{1,4}$/.test(text) || parseInt(text, 10) < 1) {
                setClass(field, 'invalid', true);
                showMessage(message, 'Enter a number of corrections from 1 to 9999.', true);
                return;
            }
            setClass(field, 'invalid', false);
            ext.SetLimitLog(1);
            ext.SetLogMaxSize(parseInt(text, 10));
            load();
            showMessage(message, 'Saved.');
        }

        on($('clear'), 'click', function () {
            if (ext.ShowMessage(CLEAR_QUESTION, MB_YESNO | MB_ICONQUESTION, 0) !== IDYES) {
                return;
            }
            ext.ClearHistory();
            load();
        });
        on($('limit'), 'click', saveLimit);
        on($('limit-size'), 'change', saveLimit);

        load();
    }

    // --- Reminders and timers ---------------------------------------------------------

    // GetReminderState answers 3 for a reminder that is not recurring; a recurring one is
    // scheduled at 0. SetReminderState(n, b) stores 2 - b: 2 switches it on, 1 off.
    var NOT_RECURRING = 3;
    var STATE_ON = 2;
    var STATE_OFF = 1;
    var TICK_MS = 1000;

    function button(text, title, handler) {
        var b = document.createElement('button');
        b.type = 'button';
        setText(b, text);
        b.title = title;
        on(b, 'click', handler);
        return b;
    }

    function clearChildren(element) {
        while (element.firstChild) {
            element.removeChild(element.firstChild);
        }
    }

    function initReminders() {
        var ext = program();
        var message = $('reminder-message');
        var revision = ext.GetReminderRevision(0);
        var shown = [];

        function addRow(body, number) {
            var text = ext.GetReminderText(number);
            var row = document.createElement('tr');
            row.id = 'reminder-' + number;
            cell(row, text, 'reminder-text');
            cell(row, ext.GetReminderWhenText(number), 'reminder-when');
            var left = cell(row, ext.GetRemainingText(number), 'reminder-left');
            var actions = cell(row, '', 'row-actions');

            var state = ext.GetReminderState(number);
            if (state !== NOT_RECURRING) {
                var label = document.createElement('label');
                label.className = 'switch';
                var box = document.createElement('input');
                box.type = 'checkbox';
                box.className = 'reminder-on';
                box.checked = state === 0;
                box.setAttribute('aria-label', 'Repeat ' + text);
                on(box, 'click', function () {
                    ext.SetReminderState(number, box.checked ? STATE_ON : STATE_OFF);
                    setText(left, ext.GetRemainingText(number));
                });
                label.appendChild(box);
                label.appendChild(document.createTextNode('On'));
                actions.appendChild(label);
            }
            actions.appendChild(button('Show', 'Show this reminder now', function () {
                ext.FireReminder(number);
            }));
            actions.appendChild(button('Edit', 'Change this reminder', function () {
                if (ext.EditReminder(number) === 1) {
                    load();
                    showMessage(message, 'Reminder saved.');
                }
            }));
            actions.appendChild(button('Delete', 'Delete this reminder', function () {
                var question = 'Delete the reminder "' + text + '"?';
                if (ext.ShowMessage(question, MB_YESNO | MB_ICONQUESTION, 0) !== IDYES) {
                    return;
                }
                ext.DeleteReminder(number);
                load();
                showMessage(message, 'Reminder deleted.');
            }));
            body.appendChild(row);
            shown.push({ number: number, left: left });
        }

        function load() {
            var body = $('reminder-rows');
            clearChildren(body);
            shown = [];
            var count = ext.GetReminderCount();
            for (var i = 1; i <= count; i++) {
                addRow(body, ext.GetReminderNumber(i));
            }
            if (shown.length === 0) {
                var empty = document.createElement('tr');
                cell(empty, 'No reminders yet. Press "New Reminder..." to add one.', 'empty').colSpan = 4;
                body.appendChild(empty);
            }
            revision = ext.GetReminderRevision(0);
        }

        // Every second: the time left ticks, and a reminder that went or came (shown and
        // deleted, snoozed) redraws the list.
        function tick() {
            if (ext.GetReminderRevision(0) !== revision || ext.GetReminderCount() !== shown.length) {
                load();
                return;
            }
            for (var i = 0; i < shown.length; i++) {
                setText(shown[i].left, ext.GetRemainingText(shown[i].number));
            }
        }

        on($('new-reminder'), 'click', function () {
            if (ext.EditReminder(0) === 1) {
                load();
                showMessage(message, 'Reminder added.');
            }
        });

        load();
        initTimers(ext);
        window.setInterval(tick, TICK_MS);
    }

    function initTimers(ext) {
        function load() {
            var list = $('timer-list');
            clearChildren(list);
            var count = ext.GetTimerCount();
            for (var i = 0; i < count; i++) {
                var text = ext.GetTimerText(i);
                if (typeof text === 'string' && text !== '') {
                    var item = document.createElement('li');
                    setText(item, text);
                    list.appendChild(item);
                }
            }
            setText($('timer-summary'), count === 1 ? '1 timer added so far.' : count + ' timers added so far.');
        }

        on($('add-timer'), 'click', function () {
            var minutes = $('timer-minutes');
            var text = $('timer-text').value.replace(/^\s+|\s+$/g, '');
            var value = minutes.value.replace(/^\s+|\s+$/g, '');
            if (!/^[0-9]{1,4}$/.test(value)) {
                setClass(minutes, 'invalid', true);
                showMessage($('timer-message'), 'Enter the minutes as a number from 0 to 9999.', true);
                return;
            }
            setClass(minutes, 'invalid', false);
            ext.AddTimer(parseInt(value, 10), text);
            $('timer-text').value = '';
            load();
            showMessage($('timer-message'), 'Timer added.');
        });

        load();
    }

    // --- World time and the time zone bar ----------------------------------------------

    var DATE_SHORTDATE = 0x1;
    var DATE_LONGDATE = 0x2;
    var TIME_NOSECONDS = 0x2;
    // The automation interface's true, as the bar settings take it.
    var AUTOMATION_TRUE = -1;
    var HOME = 0;

    function initZones() {
        var ext = program();
        var message = $('zone-message');
        var revision = -1;
        var shown = [];

        function zoneButton(text, title, handler, enabled) {
            var b = button(text, title, handler);
            b.disabled = enabled === false;
            return b;
        }

        function applyZone(index, name) {
            var question = 'Change this computer\'s time zone to the zone of "' + name + '"?';
            if (ext.ShowMessage(question, MB_YESNO | MB_ICONQUESTION, 1) !== 1) {
                return;
            }
            ext.ApplyZone(index);
            load();
        }

        function addRow(body, n, count) {
            var name = ext.GetZoneName(n);
            if (typeof name !== 'string') {
                return;
            }
            var index = ext.GetZoneCatalogueIndex(n);
            var row = document.createElement('tr');
            row.id = 'zone-' + n;
            var label = cell(row, name, 'zone-name');
            if (ext.IsZoneInBar(n) === 1) {
                var badge = document.createElement('span');
                badge.className = 'badge';
                badge.title = 'Shown in the time zone bar';
                setText(badge, 'bar');
                label.appendChild(badge);
            }
            var time = cell(row, '', 'zone-time');
            var date = cell(row, '', 'zone-date');
            var actions = cell(row, '', 'row-actions');

            var here = document.createElement('label');
            here.className = 'switch';
            var box = document.createElement('input');
            box.type = 'checkbox';
            box.className = 'zone-here';
            box.checked = ext.GetAtThisLocation('', n) === 1;
            box.setAttribute('aria-label', 'I am at ' + name);
            on(box, 'click', function () {
                ext.SetAtThisLocation(n, flag(box.checked));
                load();
            });
            here.appendChild(box);
            here.appendChild(document.createTextNode('Here'));
            actions.appendChild(here);
            actions.appendChild(zoneButton('\u2191', 'Move up', function () {
                ext.MoveZone(n, -1);
                load();
            }, n > 1));
            actions.appendChild(zoneButton('\u2193', 'Move down', function () {
                ext.MoveZone(n, 1);
                load();
            }, n < count));
            actions.appendChild(zoneButton('Edit', 'Change this location', function () {
                if (ext.EditZone(name, n) === 1) {
                    load();
                }
            }));
            actions.appendChild(zoneButton('Use', 'Set this computer to this time zone', function () {
                applyZone(index, name);
            }));
            actions.appendChild(zoneButton('Delete', 'Delete this location', function () {
                if (ext.ShowMessage('Delete the location "' + name + '"?', MB_YESNO | MB_ICONQUESTION, 0) !== IDYES) {
                    return;
                }
                ext.DeleteZone(n);
                load();
                showMessage(message, 'Location deleted.');
            }));
            body.appendChild(row);
            shown.push({ index: index, time: time, date: date });
        }

        function refreshTimes() {
            setText($('home-time'), ext.GetZoneTimeText(ext.GetHomeZoneIndex(0), 0));
            setText($('home-date'), ext.GetZoneDateText(ext.GetHomeZoneIndex(0), DATE_LONGDATE));
            for (var i = 0; i < shown.length; i++) {
                setText(shown[i].time, ext.GetZoneTimeText(shown[i].index, 0));
                setText(shown[i].date, ext.GetZoneDateText(shown[i].index, DATE_SHORTDATE));
            }
        }

        function load() {
            setText($('home-name'), ext.GetHomeZoneName());
            var body = $('zone-rows');
            clearChildren(body);
            shown = [];
            var count = ext.GetZoneCount();
            for (var n = 1; n <= count; n++) {
                addRow(body, n, count);
            }
            if (shown.length === 0) {
                var empty = document.createElement('tr');
                cell(empty, 'No locations yet. Press "Add Location..." to add one.', 'empty').colSpan = 4;
                body.appendChild(empty);
            }
            $('bar-shown').checked = ext.IsBarShown() === 1;
            $('bar-autohide').checked = ext.GetBarAutoHide() === 1;
            $('bar-ontop').checked = ext.GetBarAlwaysOnTop() === 1;
            $('confirm-zone').checked = ext.GetConfirmZoneChange() === 1;
            revision = ext.GetRevision(0);
            refreshTimes();
        }

        // Every second the times move on; a change of the list (from the bar, a dialog, the
        // clock) redraws it.
        function tick() {
            if (ext.GetRevision(0) !== revision) {
                load();
                return;
            }
            refreshTimes();
        }

        on($('add-zone'), 'click', function () {
            if (ext.AddZone() === 1) {
                load();
                showMessage(message, 'Location added.');
            }
        });
        on($('edit-home'), 'click', function () {
            if (ext.EditZone(ext.GetHomeZoneName(), HOME) === 1) {
                load();
            }
        });
        on($('bar-shown'), 'click', function () {
            ext.ShowTimeZoneBar(flag($('bar-shown').checked));
        });
        on($('bar-autohide'), 'click', function () {
            ext.SetBarAutoHide($('bar-autohide').checked ? AUTOMATION_TRUE : 0);
        });
        on($('bar-ontop'), 'click', function () {
            ext.SetBarAlwaysOnTop($('bar-ontop').checked ? AUTOMATION_TRUE : 0);
        });
        on($('confirm-zone'), 'click', function () {
            ext.SetConfirmZoneChange(flag($('confirm-zone').checked));
        });

        load();
        window.setInterval(tick, TICK_MS);
    }

    // The time zone bar's page: the zones chosen for the bar, each with its time.
    function initBar() {
        var ext = program();
        var revision = -1;
        var shown = [];

        function add(list, name, index) {
            var item = document.createElement('span');
            item.className = 'bar-zone';
            item.setAttribute('role', 'listitem');
            var label = document.createElement('span');
            label.className = 'bar-name';
            setText(label, name);
            var time = document.createElement('strong');
            time.className = 'bar-time';
            item.appendChild(label);
            item.appendChild(time);
            list.appendChild(item);
            shown.push({ index: index, time: time });
        }

        function refreshTimes() {
            for (var i = 0; i < shown.length; i++) {
                setText(shown[i].time, ext.GetZoneTimeText(shown[i].index, TIME_NOSECONDS));
            }
        }

        function load() {
            var list = $('bar-zones');
            clearChildren(list);
            shown = [];
            if (ext.IsHomeZoneInBar() === 1) {
                add(list, ext.GetHomeZoneName(), ext.GetHomeZoneIndex(0));
            }
            var count = ext.GetZoneCount();
            for (var n = 1; n <= count; n++) {
                var name = ext.GetZoneName(n);
                if (typeof name === 'string' && ext.IsZoneInBar(n) === 1) {
                    add(list, name, ext.GetZoneCatalogueIndex(n));
                }
            }
            if (shown.length === 0) {
                var none = document.createElement('span');
                none.className = 'bar-empty';
                setText(none, 'No time zones are chosen for the bar.');
                list.appendChild(none);
            }
            revision = ext.GetRevision(0);
            refreshTimes();
        }

        load();
        window.setInterval(function () {
            if (ext.GetRevision(0) !== revision) {
                load();
            } else {
                refreshTimes();
            }
        }, TICK_MS);
    }

    // --- About ------------------------------------------------------------------------

    function initAbout() {
        var ext = program();
        var text = null;
        try {
            text = ext.GetAboutHtml();
        } catch (e) {
            // A program without the update's About text: the page's own text stays.
            text = null;
        }
        if (typeof text === 'string' && text !== '') {
            showAboutText($('about-text'), text);
        }
    }

    function decodeEntities(text) {
        return text.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
            .replace(/&#39;/g, "'").replace(/&nbsp;/g, '\u00a0').replace(/&amp;/g, '&');
    }

    // The About text comes from the update manifest, a download: of its markup only the line
    // breaks and the closing "More Information" link are kept, everything else is shown as
    // text, so nothing from the download runs with window.external in reach.
    function showAboutText(container, html) {
        var link = /<a\s[^>]*href="([^"]*)"[^>]*>([^<]*)<\/a>\s*$/i.exec(html);
        if (link) {
            html = html.substring(0, link.index);
        }
        while (container.firstChild) {
            container.removeChild(container.firstChild);
        }
        var lines = html.split(/<br\s*\/?>/i);
        for (var i = 0; i < lines.length; i++) {
            if (i > 0) {
                container.appendChild(document.createElement('br'));
            }
            container.appendChild(document.createTextNode(decodeEntities(lines[i].replace(/<[^>]*>/g, ''))));
        }
        if (link && /^https?:\/\//i.test(link[1])) {
            var anchor = document.createElement('a');
            anchor.href = decodeEntities(link[1]);
            anchor.target = '_blank';
            setText(anchor, decodeEntities(link[2]));
            container.appendChild(anchor);
        }
    }

    var INIT = {
        home: initHome,
        sources: initSources,
        schedule: initSchedule,
        zones: initZones,
        bar: initBar,
        reminders: initReminders,
        history: initHistory,
        about: initAbout
    };

    function start() {
        var id = document.body.getAttribute('data-page');
        buildNav(id);
        if (INIT[id]) {
            INIT[id]();
        }
    }

    start();

    return {
        splitEntry: splitEntry,
        showAboutText: showAboutText
    };
}());
