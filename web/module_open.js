// The module's script is wrapped in one function, whose source the page
// hands to its worker, so that the worker runs the same module with no
// request for a file: a page opened from disk may not load scripts into
// a worker by address.
function untransposeModule() {
