CREATE TABLE customers (
    id INT PRIMARY KEY,
    name VARCHAR(80) NOT NULL,
    city VARCHAR(60),
    since DATE,
    credit DECIMAL(10,2)
);
INSERT INTO customers VALUES
    (1, 'Ada Lovelace', 'London', '2019-03-14', 1500.00),
    (2, 'Björn Ødegård', 'Tromsø', '2020-11-02', 250.50),
    (3, 'O''Brien & Sons', 'Dublin', '2021-07-30', NULL),
    (4, '山田 太郎', '東京', '2022-01-09', 99999.99);

CREATE TABLE orders (
    order_no INT PRIMARY KEY,
    customer_id INT,
    placed DATETIME,
    weight DOUBLE,
    note TEXT
);
INSERT INTO orders VALUES
    (1001, 1, '2024-05-01 09:30:00', 2.5, 'deliver to the back door'),
    (1002, 2, '2024-05-02 14:00:00', 0.125, ''),
    (1003, 4, '2024-05-03 08:15:45', 12, NULL);

CREATE TABLE products (
    sku VARCHAR(20) PRIMARY KEY,
    label VARCHAR(100),
    in_stock BIT(1),
    size ENUM('S','M','L'),
    thumbnail BLOB
);
INSERT INTO products VALUES
    ('A-1', 'Tea cup', b'1', 'S', X'89504E470D0A1A0A'),
    ('B-2', 'Kettle', b'0', 'L', NULL);

CREATE TABLE dept (deptno INT, dname VARCHAR(14), loc VARCHAR(13));
INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK');
