#pragma once

namespace ombrix {

// A connection the server has closed must turn a write into an error, not end the program with
// SIGPIPE (plain sockets and OpenSSL alike write with send()). Called before the report e-mail
// and the update check open a connection; a handler someone else installed is left in place.
void ignoreBrokenPipe();

} // namespace ombrix
