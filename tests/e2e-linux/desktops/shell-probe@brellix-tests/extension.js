// The shell refuses Eval from outside unless in unsafe mode; the tests' private session turns it on.
function init() {
    return {
        enable() { global.context.unsafe_mode = true; },
        disable() { global.context.unsafe_mode = false; },
    };
}
