#!/usr/bin/env python3
"""The vendor's signing step (cmake/sign_file.cmake) with a throwaway
certificate: it signs with Authenticode SHA-256 and verifies; a signing that
cannot be done or does not verify fails and leaves no file behind. Leaves
the signed launcher in OUT/launcher.exe for the end-to-end run."""
import argparse
import os
import shutil
import subprocess
import sys

from pe_file import DIRECTORY_SECURITY, PeFile

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=120, **kwargs)


def make_certificates(openssl, folder):
    """A self-signed code-signing certificate with its key, plain and under a
    password, and a key of another certificate."""
    files = {name: os.path.join(folder, name) for name in
             ("cert.pem", "key.pem", "encrypted-key.pem", "password.txt", "other-key.pem")}
    subprocess.run([openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Velto Backup throwaway test signer",
                    "-addext", "keyUsage=critical,digitalSignature",
                    "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", files["key.pem"], "-out", files["cert.pem"]],
                   check=True, capture_output=True)
    with open(files["password.txt"], "w") as out:
        out.write("throwaway password\n")
    subprocess.run([openssl, "pkey", "-in", files["key.pem"], "-aes256", "-passout", "file:" + files["password.txt"],
                    "-out", files["encrypted-key.pem"]], check=True, capture_output=True)
    subprocess.run([openssl, "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                    "-out", files["other-key.pem"]], check=True, capture_output=True)
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--unsigned", required=True, help="the launcher to sign (not changed); a signed one loses its signature first")
    parser.add_argument("--out", required=True, help="scratch folder, emptied first")
    parser.add_argument("--sign-script", required=True)
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--osslsigncode", required=True)
    parser.add_argument("--openssl", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.out, ignore_errors=True)
    keys = os.path.join(args.out, "throwaway")
    os.makedirs(keys)
    files = make_certificates(args.openssl, keys)
    if PeFile(open(args.unsigned, "rb").read()).directory(DIRECTORY_SECURITY)[1] != 0:
        # A vendor's signed release: its signature is set aside first.
        stripped = os.path.join(args.out, "unsigned.exe")
        run([args.osslsigncode, "remove-signature", "-in", args.unsigned, "-out", stripped])
        print("%s is signed: signing it without that signature" % args.unsigned)
        args.unsigned = stripped
    unsigned = open(args.unsigned, "rb").read()

    def sign(case, key, password, ca):
        folder = os.path.join(args.out, case)
        os.makedirs(folder)
        target = os.path.join(folder, "launcher.exe")
        shutil.copyfile(args.unsigned, target)
        command = [args.cmake, "-DFILE=" + target, "-DCERTIFICATE=" + files["cert.pem"], "-DKEY=" + files[key],
                   "-DOSSLSIGNCODE=" + args.osslsigncode]
        if password:
            command.append("-DPASSWORD_FILE=" + files[password])
        if ca:
            command.append("-DCA_FILE=" + ca)
        result = run(command + ["-P", args.sign_script])
        return result, target

    # {case, key, password file, CA file, signs}
    cases = [
        ("plain-key", "key.pem", None, files["cert.pem"], True),
        ("key-under-password", "encrypted-key.pem", "password.txt", files["cert.pem"], True),
        ("password-missing", "encrypted-key.pem", None, files["cert.pem"], False),
        ("key-of-another-certificate", "other-key.pem", None, files["cert.pem"], False),
        # The signature is verified: against osslsigncode's default roots a
        # self-signed certificate is not trusted.
        ("certificate-not-trusted", "key.pem", None, None, False),
    ]
    for case, key, password, ca, signs in cases:
        result, target = sign(case, key, password, ca)
        if not signs:
            check(result.returncode != 0 and not os.path.exists(target) and not os.path.exists(target + ".signed"),
                  "%s: signing fails and leaves no launcher.exe" % case)
            continue
        check(result.returncode == 0, "%s: signed and verified%s" % (case, "" if result.returncode == 0 else
                                                                      "\n" + result.stdout + result.stderr))
        if result.returncode != 0:
            continue
        data = open(target, "rb").read()
        check(PeFile(data).directory(DIRECTORY_SECURITY)[1] != 0, "%s: the file carries a signature" % case)
        verify = run([args.osslsigncode, "verify", "-CAfile", files["cert.pem"], "-in", target])
        check(verify.returncode == 0 and "Message digest algorithm  : SHA256" in verify.stdout
              and "Velto Backup throwaway test signer" in verify.stdout,
              "%s: the signature verifies: SHA-256, by the throwaway certificate" % case)
        stripped = target + ".without-signature"
        run([args.osslsigncode, "remove-signature", "-in", target, "-out", stripped])
        check(os.path.exists(stripped) and open(stripped, "rb").read() == unsigned,
              "%s: without its signature the file is the unsigned launcher" % case)

    shutil.copyfile(os.path.join(args.out, "plain-key", "launcher.exe"), os.path.join(args.out, "launcher.exe"))
    print("signed launcher for the end-to-end run: %s" % os.path.join(args.out, "launcher.exe"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
