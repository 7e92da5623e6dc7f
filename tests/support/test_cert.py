#!/usr/bin/python3
"""Makes the certificates the loopback TLS test servers use.

  test_cert.py OUTDIR

writes into OUTDIR:
  ca.pem          a test certificate authority (trust it through SSL_CERT_FILE)
  server.pem      a server certificate for 127.0.0.1, ::1 and localhost, signed by that authority
  server.key      its private key
  other_ca.pem    a second authority that signed nothing: trusting it instead of ca.pem makes
                  the server's certificate untrusted
Everything is valid from a day ago for thirty days.
"""

import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID


def name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Ombrix tests"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def validity(builder):
    now = datetime.datetime.utcnow()
    return builder.not_valid_before(now - datetime.timedelta(days=1)).not_valid_after(
        now + datetime.timedelta(days=30))


def authority(common_name):
    key = ec.generate_private_key(ec.SECP256R1())
    builder = x509.CertificateBuilder().subject_name(name(common_name)).issuer_name(name(common_name))
    builder = validity(builder).public_key(key.public_key()).serial_number(x509.random_serial_number())
    builder = builder.add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
    builder = builder.add_extension(
        x509.KeyUsage(digital_signature=False, content_commitment=False, key_encipherment=False,
                      data_encipherment=False, key_agreement=False, key_cert_sign=True, crl_sign=True,
                      encipher_only=False, decipher_only=False), critical=True)
    builder = builder.add_extension(x509.SubjectKeyIdentifier.from_public_key(key.public_key()),
                                    critical=False)
    return key, builder.sign(key, hashes.SHA256())


def server(ca_key, ca_cert):
    key = ec.generate_private_key(ec.SECP256R1())
    builder = x509.CertificateBuilder().subject_name(name("localhost")).issuer_name(ca_cert.subject)
    builder = validity(builder).public_key(key.public_key()).serial_number(x509.random_serial_number())
    builder = builder.add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
    builder = builder.add_extension(
        x509.SubjectAlternativeName([x509.DNSName("localhost"),
                                     x509.IPAddress(ipaddress.ip_address("127.0.0.1")),
                                     x509.IPAddress(ipaddress.ip_address("::1"))]), critical=False)
    builder = builder.add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
    builder = builder.add_extension(
        x509.AuthorityKeyIdentifier.from_issuer_public_key(ca_key.public_key()), critical=False)
    return key, builder.sign(ca_key, hashes.SHA256())


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    ca_key, ca_cert = authority("Ombrix test authority")
    _, other_cert = authority("Ombrix other test authority")
    key, cert = server(ca_key, ca_cert)
    pem = serialization.Encoding.PEM
    write(os.path.join(out, "ca.pem"), ca_cert.public_bytes(pem))
    write(os.path.join(out, "other_ca.pem"), other_cert.public_bytes(pem))
    write(os.path.join(out, "server.pem"), cert.public_bytes(pem))
    write(os.path.join(out, "server.key"),
          key.private_bytes(pem, serialization.PrivateFormat.PKCS8, serialization.NoEncryption()))


if __name__ == "__main__":
    main()
