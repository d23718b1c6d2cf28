// Chronel's pages in headless Chromium, against the real automation object behind the test
// bridge: every page loads without a script or console error, shows the program's state,
// and its actions write the program's settings. Screenshots of every page are saved. The
// page scripts are linted as ES5, the language of the page host's engine.
//
// Environment: CHRONEL_BRIDGE_URL (the bridge, serving the built Pages folder),
// CHRONEL_SCREENSHOTS (folder for the PNG files), CHRONEL_EXE (the built Chronel.exe, for
// its version resource).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { chromium } = require('playwright-core');
const { ESLint } = require('eslint');

const root = path.resolve(__dirname, '..', '..');
const bridge = process.env.CHRONEL_BRIDGE_URL;
const screenshots = process.env.CHRONEL_SCREENSHOTS || path.join(root, 'build', 'x64', 'screenshots', 'pages');
const chronelExe = process.env.CHRONEL_EXE;
const externalScript = fs.readFileSync(path.join(__dirname, 'external.js'), 'utf8');

const PAGES = [
    { file: 'HomePage.htm', nav: 'nav-home', heading: 'Clock' },
    { file: 'TimeSources.htm', nav: 'nav-sources', heading: 'Time Sources' },
    { file: 'Schedule.htm', nav: 'nav-schedule', heading: 'Schedule' },
    { file: 'WorldTime.htm', nav: 'nav-zones', heading: 'World Time' },
    { file: 'Reminders.htm', nav: 'nav-reminders', heading: 'Reminders' },
    { file: 'History.htm', nav: 'nav-history', heading: 'History' },
    { file: 'About.htm', nav: 'nav-about', heading: 'About' }
];
const CLEAR_QUESTION = 'This will clear all historical correction data (this data is kept for your reference ' +
    'and is not required by the software).  Do you wish to continue and delete the data?';
const MB_YESNO = 0x4;
const MB_ICONQUESTION = 0x20;

let browser;

async function control(name, query) {
    const url = new URL('/control/' + name, bridge);
    for (const [key, value] of Object.entries(query || {})) {
        url.searchParams.set(key, value);
    }
    const response = await fetch(url);
    assert.equal(response.status, 200, name);
    return response.json();
}

async function registry(key) {
    return (await control('registry', { key: key || '' })).values;
}

// A page of the bridge in a fresh context, with window.external defined before the page's
// own script runs. Script errors, console errors and requests that leave the bridge are
// collected; `done` asserts there were none.
async function openPage(file, options) {
    const context = await browser.newContext(Object.assign({ viewport: { width: 700, height: 450 } }, options || {}));
    const page = await context.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push('script error: ' + error.message));
    page.on('console', (message) => {
        if (message.type() === 'error' || message.type() === 'warning') {
            problems.push('console ' + message.type() + ': ' + message.text());
        }
    });
    page.on('request', (request) => {
        if (!request.url().startsWith(bridge)) {
            problems.push('external resource: ' + request.url());
        }
    });
    page.on('requestfailed', (request) => {
        // A page that is left while its refresh call is on the way has that call aborted by
        // the browser, as any engine does; every other failure counts.
        const failure = request.failure();
        const aborted = failure && failure.errorText === 'net::ERR_ABORTED';
        if (!(aborted && new URL(request.url()).pathname === '/call')) {
            problems.push('failed request: ' + request.url() + (failure ? ' (' + failure.errorText + ')' : ''));
        }
    });
    page.on('response', (response) => {
        if (response.status() >= 400) {
            problems.push('HTTP ' + response.status() + ': ' + response.url());
        }
    });
    await page.addInitScript({ content: externalScript });
    await page.goto(new URL(file, bridge).href);
    await page.waitForLoadState('load');
    return {
        page,
        problems,
        async done() {
            await context.close();
            assert.deepEqual(problems, [], file);
        }
    };
}

async function shoot(page, name) {
    fs.mkdirSync(screenshots, { recursive: true });
    await page.screenshot({ path: path.join(screenshots, name) });
}

// Nothing of the page's content is cut off or needs scrolling at 700 x 450.
async function assertFits(page, file) {
    const overflow = await page.evaluate(() => {
        const content = document.getElementById('content');
        return {
            width: content.scrollWidth - content.clientWidth,
            height: content.scrollHeight - content.clientHeight
        };
    });
    assert.ok(overflow.width <= 0, file + ' is wider than the window by ' + overflow.width + ' px');
    assert.ok(overflow.height <= 0, file + ' is taller than the window by ' + overflow.height + ' px');
}

// The product version of a PE file: the VS_FIXEDFILEINFO after its signature 0xFEEF04BD.
function fileVersion(exe) {
    const data = fs.readFileSync(exe);
    const at = data.indexOf(Buffer.from([0xbd, 0x04, 0xef, 0xfe]));
    assert.ok(at > 0, 'no version resource in ' + exe);
    const ms = data.readUInt32LE(at + 8);
    const ls = data.readUInt32LE(at + 12);
    return [ms >>> 16, ms & 0xffff, ls >>> 16, ls & 0xffff].join('.');
}

test.before(async () => {
    assert.ok(bridge, 'CHRONEL_BRIDGE_URL names the bridge');
    browser = await chromium.launch({
        executablePath: process.env.CHRONEL_CHROMIUM || '/usr/bin/chromium',
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run']
    });
});

test.after(async () => {
    if (browser) {
        await browser.close();
    }
});

test('the page scripts are ES5: eslint passes them and refuses newer syntax', async () => {
    const eslint = new ESLint({
        cwd: root,
        overrideConfigFile: path.join(__dirname, 'eslint.config.js')
    });
    const scripts = fs.readdirSync(path.join(root, 'chronel', 'pages')).filter((f) => f.endsWith('.js'))
        .map((f) => path.join('chronel', 'pages', f));
    assert.ok(scripts.length > 0);
    const results = await eslint.lintFiles(scripts.concat([path.join('tests', 'pages', 'external.js')]));
    const messages = results.flatMap((r) => r.messages.map((m) => r.filePath + ':' + m.line + ' ' + m.message));
    assert.deepEqual(messages, []);
    assert.equal(results.length, scripts.length + 1, 'every script was linted, none ignored');

    // The same configuration refuses what the page host's engine cannot run.
    for (const newer of ['let a = 1;', 'var f = () => 1;', 'var s = `x`;', 'class A {}']) {
        const [refused] = await eslint.lintText(newer, { filePath: path.join(root, 'chronel', 'pages', 'x.js') });
        assert.ok(refused.errorCount > 0, newer + ' passed the ES5 lint');
    }
});

test('every page loads without an error, with the engine mode, the navigation and no external resource', async () => {
    for (const p of PAGES) {
        const { page, done } = await openPage(p.file);
        assert.equal(await page.locator('meta[http-equiv="X-UA-Compatible"]').getAttribute('content'), 'IE=edge');
        assert.equal(await page.locator('h1').innerText(), p.heading);
        assert.equal(await page.locator('#nav a').count(), PAGES.length);
        assert.equal(await page.locator('#nav a.current').getAttribute('id'), p.nav);
        await page.waitForTimeout(300); // a refresh tick or two
        await assertFits(page, p.file);
        await shoot(page, p.file.replace('.htm', '.png'));
        await done();
    }
});

test('the navigation links every page to every other, by keyboard too', async () => {
    const { page, done } = await openPage('HomePage.htm');
    for (const p of PAGES.slice(1)) {
        await page.click('#' + p.nav);
        await page.waitForURL('**/' + p.file);
        assert.equal(await page.locator('h1').innerText(), p.heading);
    }
    // Tab reaches the first link; Enter follows it.
    await page.keyboard.press('Tab');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'nav-sources');
    await page.keyboard.press('Enter');
    await page.waitForURL('**/TimeSources.htm');
    await done();
});

test('the clock shows the server 125 s ahead, and Correct Now corrects and logs it', async () => {
    await control('reset');
    await control('check');
    const { page, done } = await openPage('HomePage.htm');
    // The bridge's page host checked against the test's server, which runs ahead of this clock.
    await page.waitForFunction(() => /^Your clock is 2mins, [45]\.\ds slow$/.test(document.getElementById('status').textContent),
        null, { timeout: 20000 });
    const local = await page.locator('#local-time').innerText();
    const server = await page.locator('#server-time').innerText();
    assert.notEqual(local, '');
    assert.notEqual(server, local);
    assert.notEqual(await page.locator('#local-date').innerText(), '');
    assert.match(await page.locator('#status').getAttribute('class'), /\boff\b/);
    assert.notEqual(await page.locator('#last-check').innerText(), '');
    assert.notEqual(await page.locator('#next-check').innerText(), '');
    await shoot(page, 'HomePage-before-correction.png');

    await page.click('#correct-now');
    await page.waitForFunction(() => document.getElementById('status').textContent === 'Your clock is accurate ',
        null, { timeout: 10000 });
    const clock = await control('clock');
    assert.equal(clock.requests, 1, 'one request to set the clock');
    assert.ok(Math.abs(clock.lastCorrection - 125) < 1, 'set ahead by ' + clock.lastCorrection + ' s');
    assert.match(await page.locator('#status').getAttribute('class'), /\bfine\b/);
    await page.waitForFunction(() => document.getElementById('server-time').textContent ===
        document.getElementById('local-time').textContent, null, { timeout: 5000 });

    const logs = await registry('Logs');
    assert.equal(Object.keys(logs).length, 1);
    assert.match(Object.values(logs)[0], /#2mins, [45]\.\ds slow$/);
    assert.equal((await registry()).CorrectionCount, 1);
    await done();
});

test('the history shows the corrections split at "#", their count and mean', async () => {
    // A second correction of the same offset: a fresh check first, then Correct Now.
    await control('check');
    const home = await openPage('HomePage.htm');
    await home.page.waitForFunction(() => / slow$/.test(document.getElementById('status').textContent), null,
        { timeout: 20000 });
    await home.page.click('#correct-now');
    await home.page.waitForFunction(() => document.getElementById('status').textContent === 'Your clock is accurate ',
        null, { timeout: 10000 });
    await home.done();

    const logs = Object.values(await registry('Logs'));
    assert.equal(logs.length, 2);
    const stored = await registry();
    const { page, done } = await openPage('History.htm');
    assert.equal(await page.locator('#count').innerText(), '2');
    assert.equal(await page.locator('#mean').innerText(), stored.MeanCorrection + 's');
    assert.match(stored.MeanCorrection, /^12[45]\.\d\d$/);
    const rows = await page.locator('#log-rows tr').evaluateAll((trs) =>
        trs.map((tr) => Array.from(tr.cells).map((td) => td.textContent)));
    assert.deepEqual(rows, logs.map((entry) => [entry.slice(0, entry.indexOf('#')), entry.slice(entry.indexOf('#') + 1)]));
    assert.deepEqual(await page.locator('table.log-table th').allInnerTexts(), ['Time', 'Correction']);
    assert.equal(await page.locator('#clear').isDisabled(), false);
    await shoot(page, 'History-two-corrections.png');

    // The limit: keep the latest one.
    await page.check('#limit');
    await page.fill('#limit-size', '1');
    await page.locator('#limit-size').dispatchEvent('change');
    const limited = await registry();
    assert.equal(limited.LimitLog, 1);
    assert.equal(limited.LogMaxSize, 1);
    assert.equal(Object.keys(await registry('Logs')).length, 1);
    assert.equal(await page.locator('#count').innerText(), '1');
    await page.uncheck('#limit');
    assert.equal((await registry()).LimitLog, 0);
    await done();
});

test('"Clear" asks with string 32792 and empties the history only after "Yes"', async () => {
    const { page, done } = await openPage('History.htm');
    const before = Object.keys(await registry('Logs')).length;
    assert.ok(before > 0, 'the corrections before are still logged');

    await control('answer', { button: 'no' });
    await page.click('#clear');
    let boxes = await control('boxes');
    assert.equal(boxes.length, 1);
    assert.equal(boxes[0].text, CLEAR_QUESTION);
    assert.equal(boxes[0].caption, 'Orvel.Tempra');
    assert.equal(boxes[0].buttons, MB_YESNO);
    assert.equal(boxes[0].icon, MB_ICONQUESTION);
    assert.equal(Object.keys(await registry('Logs')).length, before, '"No" keeps the history');
    assert.notEqual(await page.locator('#count').innerText(), '0');

    await control('answer', { button: 'yes' });
    await page.click('#clear');
    boxes = await control('boxes');
    assert.equal(boxes.length, 2);
    const after = await control('registry', { key: 'Logs' });
    assert.equal(after.exists && Object.keys(after.values).length > 0, false, '"Yes" clears the log');
    assert.equal((await registry()).CorrectionCount, 0);
    assert.equal(await page.locator('#count').innerText(), '0');
    assert.equal(await page.locator('#log-rows td.empty').count(), 1);
    assert.equal(await page.locator('#clear').isDisabled(), true, 'nothing left to clear');
    await shoot(page, 'History-empty.png');
    await done();
});

test('the time sources page writes the servers and the connectivity test to the registry', async () => {
    await control('reset');
    const { page, done } = await openPage('TimeSources.htm');
    assert.equal(await page.inputValue('#server-1'), '127.0.0.1');
    assert.match(await page.locator('#internet-check-text').innerText(), /sends a small test message/);
    assert.equal(await page.isChecked('#internet-check'), false);

    await page.fill('#server-2', '  ntp.example.org ');
    await page.press('#server-2', 'Tab');
    assert.equal((await registry()).Server2, 'ntp.example.org');
    assert.equal(await page.inputValue('#server-2'), 'ntp.example.org');

    // A name with a blank is no host: nothing is written and the field says so.
    await page.fill('#server-3', 'not a host');
    await page.press('#server-3', 'Tab');
    assert.equal((await registry()).Server3, '');
    assert.match(await page.locator('#server-3').getAttribute('class'), /\binvalid\b/);
    await shoot(page, 'TimeSources-invalid.png');

    await page.click('#internet-check');
    assert.equal((await registry()).InternetCheck, 1);

    await page.click('#restore-defaults');
    const defaults = await registry();
    assert.equal(defaults.Server1, 'time-a-g.nist.gov');
    assert.equal(defaults.Server5, 'ptbtime2.ptb.de');
    assert.equal(await page.inputValue('#server-1'), 'time-a-g.nist.gov');
    assert.equal(await page.inputValue('#server-5'), 'ptbtime2.ptb.de');
    await done();
    await control('reset');
});

test('the schedule page writes Autocheck, DailyUpdate, Hours, ExitOnCheck and the tray settings', async () => {
    await control('reset');
    const { page, done } = await openPage('Schedule.htm');
    // Missing values read as their defaults: automatic, daily, 4 hours, tray icon on.
    assert.equal(await page.isChecked('#autocheck'), true);
    assert.equal(await page.isChecked('#daily'), true);
    assert.equal(await page.inputValue('#hours'), '4');
    assert.equal(await page.isChecked('#tray-icon'), true);
    assert.equal(await page.isChecked('#exit-on-check'), false);

    await page.click('#every');
    await page.fill('#hours', '6');
    await page.press('#hours', 'Tab');
    let stored = await registry();
    assert.equal(stored.DailyUpdate, 0);
    assert.equal(stored.Hours, 6);

    await page.fill('#hours', '0');
    await page.press('#hours', 'Tab');
    assert.equal((await registry()).Hours, 6, 'no hour count below one is written');
    assert.match(await page.locator('#hours').getAttribute('class'), /\binvalid\b/);
    await page.fill('#hours', '12');
    await page.press('#hours', 'Tab');
    assert.equal((await registry()).Hours, 12);

    await page.click('#daily');
    assert.equal((await registry()).DailyUpdate, 1);
    assert.equal(await page.isDisabled('#hours'), true);

    await page.click('#autocheck');
    assert.equal((await registry()).Autocheck, 0);
    assert.equal(await page.isDisabled('#daily'), true);
    assert.equal(await page.locator('#next-check').innerText(), 'No automatic update scheduled');
    await shoot(page, 'Schedule-no-automatic-checks.png');
    await page.click('#autocheck');
    assert.equal((await registry()).Autocheck, 1);

    await page.click('#exit-on-check');
    assert.equal((await registry()).ExitOnCheck, 1);
    await page.click('#tooltip-date');
    assert.equal((await registry()).ShowDateInTooltip, 1);
    await page.click('#tray-icon');
    stored = await registry();
    assert.equal(stored.TaskBarIcon, 0);
    assert.equal(await page.isDisabled('#tooltip-date'), true);
    await page.click('#tray-icon');
    assert.equal((await registry()).TaskBarIcon, 1);

    // A fresh load shows what was stored.
    await page.reload();
    assert.equal(await page.isChecked('#exit-on-check'), true);
    assert.equal(await page.isChecked('#tooltip-date'), true);
    assert.equal(await page.inputValue('#hours'), '12');
    await done();
    await control('reset');
});

// The rows of the reminder list as [text, when, time left].
async function reminderRows(page) {
    return page.locator('#reminder-rows tr').evaluateAll((trs) =>
        trs.filter((tr) => tr.id).map((tr) => Array.from(tr.cells).slice(0, 3).map((td) => td.textContent)));
}

test('the reminders page adds, shows, switches, edits and deletes reminders through the program', async () => {
    await control('reset');
    const { page, done } = await openPage('Reminders.htm');
    assert.equal(await page.locator('#reminder-rows td.empty').count(), 1);

    // "New Reminder..." opens the program's Reminder dialog; here the bridge fills it in.
    await control('reminder-dialog', { action: 'ok', text: 'Stretch your legs', hours: '0', minutes: '30' });
    await page.click('#new-reminder');
    let rows = await reminderRows(page);
    assert.equal(rows.length, 1);
    assert.equal(rows[0][0], 'Stretch your legs');
    assert.equal(rows[0][1], 'Countdown');
    assert.match(rows[0][2], /^00:(30:00|29:5\d)$/);
    assert.deepEqual(Object.keys(await registry('Reminders')), ['1']);
    assert.equal((await registry()).ReminderNumber, 1);
    // The time left ticks.
    const first = rows[0][2];
    await page.waitForFunction((before) => document.querySelector('#reminder-1 .reminder-left').textContent !== before,
        first, { timeout: 5000 });

    // A reminder every two days gets the switch that keeps it in the schedule.
    await control('reminder-dialog', { action: 'ok', text: 'Water the plants', every: '2' });
    await page.click('#new-reminder');
    rows = await reminderRows(page);
    assert.equal(rows.length, 2);
    assert.deepEqual(rows[1].slice(0, 2), ['Water the plants', 'Every 2 days']);
    assert.match(rows[1][2], /^1 day, /);
    assert.equal(await page.isChecked('#reminder-2 .reminder-on'), true);
    await shoot(page, 'Reminders-two.png');
    await page.click('#reminder-2 .reminder-on');
    assert.equal(await page.locator('#reminder-2 .reminder-left').innerText(), '00:00:00', 'off: not scheduled');
    await page.reload();
    assert.equal(await page.isChecked('#reminder-2 .reminder-on'), false);
    await page.click('#reminder-2 .reminder-on');
    assert.match(await page.locator('#reminder-2 .reminder-left').innerText(), /^1 day, /);

    // "Show" raises the pop-up at once and leaves the record as it is.
    await page.click('#reminder-1 button[title="Show this reminder now"]');
    assert.equal((await control('reminders')).popups, 1);
    assert.equal((await reminderRows(page)).length, 2);

    // Editing and cancelling changes nothing; editing and OK saves the new text.
    await control('reminder-dialog', { action: 'cancel' });
    await page.click('#reminder-1 button[title="Change this reminder"]');
    assert.equal((await reminderRows(page))[0][0], 'Stretch your legs');
    await control('reminder-dialog', { action: 'ok', text: 'Stand up', hours: '1', minutes: '0' });
    await control('answer', { button: 'yes' }); // "restart this countdown?"
    await page.click('#reminder-1 button[title="Change this reminder"]');
    rows = await reminderRows(page);
    assert.deepEqual(rows.map((r) => r[0]).sort(), ['Stand up', 'Water the plants']);

    // Delete asks first.
    const target = await page.locator('#reminder-rows tr[id]').first().getAttribute('id');
    await control('answer', { button: 'no' });
    await page.click('#' + target + ' button[title="Delete this reminder"]');
    assert.equal((await reminderRows(page)).length, 2, '"No" keeps it');
    const boxes = await control('boxes');
    assert.match(boxes[boxes.length - 1].text, /^Delete the reminder "/);
    await control('answer', { button: 'yes' });
    await page.click('#' + target + ' button[title="Delete this reminder"]');
    assert.equal((await reminderRows(page)).length, 1);
    assert.equal(Object.keys(await registry('Reminders')).length, 1);
    await done();
    await control('reset');
});

test('a reminder deleted after it was shown disappears from the page by itself', async () => {
    await control('reset');
    const { page, done } = await openPage('Reminders.htm');
    // A countdown of 0:00 is due at once; the check timer shows it and deletes it.
    await control('reminder-dialog', { action: 'ok', text: 'Now', hours: '0', minutes: '0', deleteWhenDone: '1' });
    await page.click('#new-reminder');
    await page.waitForFunction(() => document.querySelector('#reminder-rows td.empty') !== null, null, { timeout: 10000 });
    const state = await control('reminders');
    assert.equal(state.popups, 1, 'the pop-up is open');
    const left = await control('registry', { key: 'Reminders' });
    assert.equal(left.exists && Object.keys(left.values).length > 0, false);
    await done();
    await control('reset');
});

test('timers: the page adds entries with their texts and counts them', async () => {
    await control('reset');
    const { page, done } = await openPage('Reminders.htm');
    assert.equal(await page.locator('#timer-summary').innerText(), '0 timers added so far.');
    await page.fill('#timer-text', 'Tea is ready');
    await page.fill('#timer-minutes', '5');
    await page.click('#add-timer');
    assert.deepEqual(await page.locator('#timer-list li').allInnerTexts(), ['Tea is ready']);
    assert.equal(await page.locator('#timer-summary').innerText(), '1 timer added so far.');
    const stored = await registry();
    assert.equal(stored.TimerNumber, 1);
    assert.equal(stored.Autocheck, 1, 'adding a timer writes a missing Autocheck');
    const timer = await registry('Timer');
    const names = Object.keys(timer).sort();
    assert.equal(names.length, 2);
    assert.equal(timer[names[1]], 'Tea is ready');
    assert.equal(names[1], names[0].slice(0, -1) + 'D');
    assert.equal(timer[names[0]], parseInt(names[0], 10) + 300);

    await page.fill('#timer-minutes', 'ten');
    await page.click('#add-timer');
    assert.match(await page.locator('#timer-minutes').getAttribute('class'), /\binvalid\b/);
    assert.equal((await registry()).TimerNumber, 1);
    await shoot(page, 'Reminders-timer.png');
    await done();
    await control('reset');
});

// The rows of the location list as [name, time, date].
async function zoneRows(page) {
    return page.locator('#zone-rows tr').evaluateAll((trs) =>
        trs.filter((tr) => tr.id).map((tr) => [tr.cells[0].firstChild.textContent, tr.cells[1].textContent,
            tr.cells[2].textContent]));
}

test('the world time page adds, moves, edits and deletes locations, and applies a zone after asking', async () => {
    await control('reset');
    const { page, done } = await openPage('WorldTime.htm');
    // The first look at the home zone makes it from the computer's own zone.
    assert.notEqual(await page.locator('#home-name').innerText(), '');
    assert.equal((await control('registry', { key: 'TimeZones\\Local Zone' })).exists, true);
    assert.equal(await page.locator('#zone-rows td.empty').count(), 1);

    await control('zone-dialog', { action: 'ok', name: 'Tokyo office', index: '120' });
    await page.click('#add-zone');
    await control('zone-dialog', { action: 'ok', name: 'Head office', index: '30' });
    await page.click('#add-zone');
    let rows = await zoneRows(page);
    assert.deepEqual(rows.map((r) => r[0]), ['Tokyo office', 'Head office']);
    assert.match(rows[0][1], /\d/);
    assert.notEqual(rows[0][1], rows[1][1], 'two zones far apart show different times');
    assert.equal((await registry('TimeZones')).TZNumber, 2);
    assert.equal((await registry('TimeZones\\1')).Name, 'Tokyo office');
    await shoot(page, 'WorldTime-two.png');

    // Move the second up; the first cannot move up, the last cannot move down.
    assert.equal(await page.isDisabled('#zone-1 button[title="Move up"]'), true);
    assert.equal(await page.isDisabled('#zone-2 button[title="Move down"]'), true);
    await page.click('#zone-2 button[title="Move up"]');
    rows = await zoneRows(page);
    assert.deepEqual(rows.map((r) => r[0]), ['Head office', 'Tokyo office']);

    // "Here" marks where the user is; such a zone leaves the bar unless it says otherwise.
    await page.click('#zone-1 .zone-here');
    assert.equal(await page.isChecked('#zone-1 .zone-here'), true);

    // Edit: the dialog renames it.
    await control('zone-dialog', { action: 'ok', name: 'Main office' });
    await page.click('#zone-1 button[title="Change this location"]');
    assert.equal((await zoneRows(page))[0][0], 'Main office');

    // "Use" asks first; "No" changes nothing, "Yes" with the box ticked applies and stops asking.
    await control('confirm', { button: 'second' });
    await page.click('#zone-2 button[title="Set this computer to this time zone"]');
    let zones = await control('zones');
    assert.equal(zones.applied.length, 0);
    assert.equal(zones.confirmations, 1);
    await control('confirm', { button: 'first', dontShow: '1' });
    await page.click('#zone-2 button[title="Set this computer to this time zone"]');
    zones = await control('zones');
    assert.equal(zones.applied.length, 1);
    assert.equal((await registry()).ChangeTimeZone, 1);
    await page.click('#zone-2 button[title="Set this computer to this time zone"]');
    zones = await control('zones');
    assert.equal(zones.applied.length, 2, 'applied without asking again');
    assert.equal(zones.confirmations, 2);
    assert.equal(await page.isChecked('#confirm-zone'), false);
    await page.click('#confirm-zone');
    assert.equal((await registry()).ChangeTimeZone, 0);

    // Delete asks with a plain message box.
    await control('answer', { button: 'yes' });
    await page.click('#zone-1 button[title="Delete this location"]');
    rows = await zoneRows(page);
    assert.deepEqual(rows.map((r) => r[0]), ['Tokyo office']);
    assert.equal((await registry('TimeZones')).TZNumber, 1);
    await done();
    await control('reset');
});

test('the time zone bar page shows the zones chosen for the bar and redraws when the list changes', async () => {
    await control('reset');
    await control('zone-dialog', { action: 'ok', name: 'Sydney', index: '130' });
    const world = await openPage('WorldTime.htm');
    await world.page.click('#add-zone');
    await world.done();

    const { page, done } = await openPage('Time/TimeZoneBar.htm', { viewport: { width: 600, height: 24 } });
    // The home zone is where the user is, so the bar leaves it out; Sydney is shown.
    assert.deepEqual(await page.locator('.bar-zone .bar-name').allInnerTexts(), ['Sydney']);
    assert.match(await page.locator('.bar-zone .bar-time').first().innerText(), /\d/);
    await shoot(page, 'TimeZoneBar.png');
    // A second zone, added elsewhere, appears once the revision counter moves.
    await control('zone-dialog', { action: 'ok', name: 'Lisbon', index: '60' });
    const other = await openPage('WorldTime.htm');
    await other.page.click('#add-zone');
    await other.done();
    await page.waitForFunction(() => document.querySelectorAll('.bar-zone').length === 2, null, { timeout: 5000 });
    await done();
    await control('reset');
});

test('the about page names the product and the version of Chronel.exe, and keeps only safe markup', async () => {
    const { page, done } = await openPage('About.htm');
    assert.equal(await page.locator('#product').innerText(), 'Orvel.Tempra');
    if (chronelExe) {
        assert.equal(await page.locator('#version').innerText(), fileVersion(chronelExe));
    }
    // A downloaded About text: its line breaks and its closing http link stay, nothing else.
    const shown = await page.evaluate(() => {
        const box = document.createElement('div');
        Chronel.showAboutText(box, 'Hi &amp; welcome<img src="x" onerror="window.bad=1"><br>there' +
            '<br><a target="_blank" href="http://www.example.org/more?a=1&amp;b=2">More Information</a>');
        const risky = document.createElement('div');
        Chronel.showAboutText(risky, 'x<br><a target="_blank" href="javascript:window.bad=2">More Information</a>');
        return {
            html: box.innerHTML,
            risky: risky.innerHTML,
            bad: window.bad
        };
    });
    assert.equal(shown.html, 'Hi &amp; welcome<br>there<br><a href="http://www.example.org/more?a=1&amp;b=2" ' +
        'target="_blank">More Information</a>');
    assert.equal(shown.risky, 'x<br>');
    assert.equal(shown.bad, undefined);
    await done();
});

test('every page at 150 % scaling', async () => {
    for (const p of PAGES) {
        const { page, done } = await openPage(p.file, { deviceScaleFactor: 1.5 });
        await page.waitForTimeout(250);
        await assertFits(page, p.file);
        await shoot(page, p.file.replace('.htm', '-150.png'));
        await done();
    }
});
