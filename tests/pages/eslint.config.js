// The pages' scripts run in the system's Internet Explorer engine: ES5 only, as scripts
// (no modules), with the browser's globals.
'use strict';

const browserGlobals = {
    window: 'readonly',
    document: 'readonly',
    XMLHttpRequest: 'readonly',
    JSON: 'readonly'
};

module.exports = [
    {
        files: ['**/*.js'],
        languageOptions: {
            ecmaVersion: 5,
            sourceType: 'script',
            globals: browserGlobals
        },
        rules: {
            'no-undef': 'error',
            'no-unused-vars': ['error', { caughtErrors: 'none' }],
            'no-redeclare': 'error',
            'no-dupe-keys': 'error',
            'no-unreachable': 'error',
            strict: ['error', 'function']
        }
    }
];
