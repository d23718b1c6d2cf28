/* Test only, never shipped: window.external for a browser that is not the page host. Every
   method of the automation object (the bridge lists them) becomes a function that sends its
   name and arguments to the bridge with a synchronous request, as the page host's script
   engine calls the object synchronously, and returns the result or throws the failure. */
(function () {
    'use strict';

    function post(path, body) {
        var request = new XMLHttpRequest();
        request.open('POST', path, false);
        request.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
        request.send(body);
        if (request.status !== 200) {
            throw new Error('bridge: ' + path + ' answered ' + request.status);
        }
        return JSON.parse(request.responseText);
    }

    function argument(value) {
        if (typeof value === 'boolean') {
            return 'b' + (value ? '1' : '0');
        }
        if (typeof value === 'number') {
            return (Math.floor(value) === value && Math.abs(value) < 2147483648 ? 'i' : 'd') + String(value);
        }
        return 's' + String(value);
    }

    function method(name) {
        return function () {
            var body = 'name=' + encodeURIComponent(name);
            for (var i = 0; i < arguments.length; i++) {
                body += '&arg=' + encodeURIComponent(argument(arguments[i]));
            }
            var answer = post('/call', body);
            if (!answer.ok) {
                var error = new Error(name + ': ' + answer.error + ' (' + answer.hr + ')');
                error.number = parseInt(answer.hr, 16) | 0;
                throw error;
            }
            return answer.value;
        };
    }

    var list = new XMLHttpRequest();
    list.open('GET', '/names', false);
    list.send(null);
    var names = JSON.parse(list.responseText);
    var external = {};
    for (var i = 0; i < names.length; i++) {
        external[names[i]] = method(names[i]);
    }
    Object.defineProperty(window, 'external', { value: external, configurable: true });
}());
