# The update client, its file steps and the update server, against real loopback servers.
vantrel_core_test(updates_core_test update_protocol_test.cpp update_checks_test.cpp update_downloads_test.cpp
  update_install_test.cpp update_install_limits_test.cpp LIBS vantrel_core_updates PkgConfig::HTTPLIB Threads::Threads)
vantrel_core_test(update_server_test update_server_test.cpp LIBS vantrel_update_server)
# HTTPS: the client against the update server speaking TLS, with authorities made at test time.
vantrel_core_test(update_tls_test update_tls_test.cpp LIBS vantrel_update_server)
